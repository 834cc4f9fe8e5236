#include "wizardPages.h"

#include <stdexcept>

namespace sorvane {

TAcPage WelcomeStep;
std::array<TAcPage, ConvertPageTable.size()> ConvertSteps;
std::array<TAcPage, GeneratePageTable.size()> GenerateSteps;

namespace {

template <std::size_t N>
void BuildPathRows(std::array<TAcPage, N>& rows, const std::array<WizardPage, N>& pages)
{
    for (std::size_t i = 0; i < N; ++i)
        rows[i] = PathStepRow(pages[i].title, static_cast<int>(i), pages[i].role);
}

}  // namespace

void BuildStepTables()
{
    WelcomeStep = WelcomeStepRow();
    BuildPathRows(ConvertSteps, ConvertPageTable);
    BuildPathRows(GenerateSteps, GeneratePageTable);
}

QStringList PageNamesOf(const QStackedWidget& notebook)
{
    QStringList names;
    for (int i = 0; i < notebook.count(); ++i)
        names << notebook.widget(i)->objectName();
    return names;
}

QStringList PageNamesOf(std::span<const WizardPage> pages)
{
    QStringList names;
    for (const WizardPage& page : pages)
        names << QString::fromLatin1(page.objectName);
    return names;
}

void RequirePagesOfTable(const QStackedWidget& notebook, std::span<const WizardPage> pages)
{
    const QStringList held = PageNamesOf(notebook);
    const QStringList listed = PageNamesOf(pages);
    if (held != listed)
        throw std::logic_error((notebook.objectName() + QStringLiteral(" holds the pages ")
                                + held.join(QStringLiteral(", ")) + QStringLiteral("; its table lists ")
                                + listed.join(QStringLiteral(", ")))
                                   .toStdString());
}

}  // namespace sorvane
