// The wizard's fixed data: how a screen's step row is made, the setting
// strings the pages read, and the web addresses of the link menu, the advert strip and
// the about box.
#pragma once

#include <QString>
#include <array>

namespace sorvane {

class Desktop;

// The state of one navigation button. An "&" in the caption marks the
// following letter as the Alt accelerator.
struct TNavButton {
    QString Caption;
    bool Enabled = false;
};

// The step row of one screen: its title and the state of Back, Next and the
// third button. Note and Index are carried for completeness; nothing shows
// them.
struct TAcPage {
    QString Title;
    QString Note;
    qint32 Index = 0;
    TNavButton Back;
    TNavButton Next;
    TNavButton Exit;
};

// What a page of a path is to the step machine, and so which buttons its
// row offers: an ordinary page goes back and on; the progress page leaves
// by itself, its three buttons disabled; a completion page ends the path,
// its Next starting again and its third button exiting without a question.
enum class PageRole { Ordinary, Progress, Completion };

// The welcome screen's row.
TAcPage WelcomeStepRow();
// The row of the path page at index with the given title, its buttons as
// its role wants them.
TAcPage PathStepRow(const char* title, int index, PageRole role);

// Appended to the addresses of some links.
extern const QString LinkQuery;
// Open dialog filters: "description|patterns" pairs joined by "|".
extern const QString PageFileFilter;
extern const QString MovieFileFilter;
// The Flash player script a page can load (an emulator such as Ruffle).
extern const QString PlayerScriptFilter;
// The two labels of the generate path's completion page; %s are the names.
extern const QString ScriptNamedFormat;
extern const QString PutFilesFormat;

// -------------------------------------------------------------- links --

// Site 1's home page: the product's own site, also named in the header of
// every script file the converter writes.
inline constexpr char ProductHomePage[] = "http://www.sorvane.example/";

// One link destination: the address opened is Address, followed by
// LinkQuery when WithQuery is set.
struct TLinkTarget {
    const char* Address;
    bool WithQuery;
};

// The text handed to the browser for a link, joined at the moment of the
// click.
QString LinkText(const TLinkTarget& target);

// The four advert pictures imgLogo_1 .. imgLogo_4, in that order.
extern const std::array<TLinkTarget, 4> AdvertLinks;

// A link entry of the main menu, found by the object name of its action.
struct TMenuLink {
    const char* ActionName;
    TLinkTarget Target;
};
// The ten link entries of "&Software" and "&Links", in menu order.
extern const std::array<TMenuLink, 10> MenuLinks;

// Hands a web address to the desktop's browser; failures are not reported.
void OpenLink(Desktop& desktop, const QString& address);

}  // namespace sorvane
