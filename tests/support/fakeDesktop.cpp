#include "fakeDesktop.h"

#include <gtest/gtest.h>
#include <ostream>

const char* KindName(FakeDesktop::Kind kind)
{
    switch (kind) {
    case FakeDesktop::Kind::Information: return "Information";
    case FakeDesktop::Kind::Confirm: return "Confirm";
    case FakeDesktop::Kind::ConfirmDefaultNo: return "ConfirmDefaultNo";
    case FakeDesktop::Kind::AskExit: return "AskExit";
    case FakeDesktop::Kind::Error: return "Error";
    case FakeDesktop::Kind::OpenFile: return "OpenFile";
    case FakeDesktop::Kind::OpenUrl: return "OpenUrl";
    case FakeDesktop::Kind::Clipboard: return "Clipboard";
    case FakeDesktop::Kind::EndApplication: return "EndApplication";
    }
    return "?";
}

void PrintTo(const FakeDesktop::Call& call, std::ostream* out)
{
    *out << KindName(call.kind) << "(\"" << call.text.toStdString() << "\")";
}

FakeDesktop::~FakeDesktop()
{
    EXPECT_TRUE(yesNoAnswers.empty()) << yesNoAnswers.size() << " Yes/No answer(s) queued but never asked for";
    EXPECT_TRUE(fileAnswers.empty()) << fileAnswers.size() << " open dialog answer(s) queued but never asked for";
}

QStringList FakeDesktop::TextsOf(Kind kind) const
{
    QStringList texts;
    for (const Call& call : calls) {
        if (call.kind == kind)
            texts << call.text;
    }
    return texts;
}

bool FakeDesktop::NextYesNo(Kind kind, const QString& text)
{
    calls.push_back({kind, text});
    if (yesNoAnswers.empty()) {
        ADD_FAILURE() << "unexpected question " << KindName(kind) << ": \"" << text.toStdString()
                      << "\" (no answer queued; answered No)";
        return false;
    }
    const bool answer = yesNoAnswers.front();
    yesNoAnswers.pop_front();
    return answer;
}

void FakeDesktop::ShowInformation(QWidget*, const QString& text)
{
    calls.push_back({Kind::Information, text});
}

bool FakeDesktop::Confirm(QWidget*, const QString& text)
{
    return NextYesNo(Kind::Confirm, text);
}

bool FakeDesktop::ConfirmDefaultNo(QWidget*, const QString& text)
{
    return NextYesNo(Kind::ConfirmDefaultNo, text);
}

bool FakeDesktop::AskExit(QWidget*, const QString& text)
{
    return NextYesNo(Kind::AskExit, text);
}

void FakeDesktop::ShowError(QWidget*, const QString& message)
{
    calls.push_back({Kind::Error, message});
}

std::optional<QString> FakeDesktop::OpenFile(QWidget*, const QString& filter, const QString& startFolder)
{
    calls.push_back({Kind::OpenFile, filter});
    openDialogFolders << startFolder;
    if (fileAnswers.empty()) {
        ADD_FAILURE() << "unexpected open dialog with filter \"" << filter.toStdString()
                      << "\" (no answer queued; cancelled)";
        return std::nullopt;
    }
    std::optional<QString> answer;
    answer.swap(fileAnswers.front());
    fileAnswers.pop_front();
    return answer;
}

void FakeDesktop::OpenUrl(const QString& address)
{
    calls.push_back({Kind::OpenUrl, address});
}

void FakeDesktop::CopyToClipboard(const QString& text)
{
    calls.push_back({Kind::Clipboard, text});
}

void FakeDesktop::EndApplication()
{
    calls.push_back({Kind::EndApplication, {}});
}
