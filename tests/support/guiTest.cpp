#include "guiTest.h"

#include <QElapsedTimer>
#include <QFontMetrics>
#include <QTextDocument>
#include <QTimer>
#include <memory>

namespace {

constexpr int PollInterval = 10;
constexpr int GiveUpAfter = 5000;

void Poll(const std::shared_ptr<QElapsedTimer>& waited, const std::function<void(QWidget*)>& act)
{
    if (QWidget* modal = QApplication::activeModalWidget()) {
        act(modal);
        return;
    }
    if (waited->elapsed() > GiveUpAfter) {
        ADD_FAILURE() << "no modal window opened";
        return;
    }
    QTimer::singleShot(PollInterval, [waited, act] { Poll(waited, act); });
}

}  // namespace

void OnNextModal(const std::function<void(QWidget* modal)>& act)
{
    auto waited = std::make_shared<QElapsedTimer>();
    waited->start();
    QTimer::singleShot(PollInterval, [waited, act] { Poll(waited, act); });
}

QString ShownToolTip(const QWidget* widget)
{
    const QString tip = widget->toolTip();
    if (!Qt::mightBeRichText(tip))
        return tip;
    QTextDocument document;
    document.setHtml(tip);
    return document.toPlainText();
}

QString ShownCaption(const QString& caption)
{
    QString shown;
    for (qsizetype i = 0; i < caption.size(); ++i) {
        if (caption[i] == QLatin1Char('&') && i + 1 < caption.size())
            ++i;
        shown += caption[i];
    }
    return shown;
}

void ExpectShownWhole(const QLabel* label)
{
    const QFontMetrics metrics(label->font());
    const QRect box = label->contentsRect();
    const QStringList lines = label->text().split(QLatin1Char('\n'));
    const int room = label->wordWrap() ? box.height() / metrics.lineSpacing() : 1;
    EXPECT_LE(lines.size(), std::max(room, 1))
        << label->objectName().toStdString() << ": " << label->text().toStdString();
    for (const QString& line : lines)
        EXPECT_LE(metrics.horizontalAdvance(line.trimmed()), box.width())
            << label->objectName().toStdString() << ": " << line.toStdString();
}
