#include "guiTest.h"

#include <QElapsedTimer>
#include <QTimer>
#include <memory>

namespace {

constexpr int PollInterval = 10;
constexpr int GiveUpAfter = 5000;

void Poll(std::shared_ptr<QElapsedTimer> waited, std::function<void(QWidget*)> act)
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

void OnNextModal(std::function<void(QWidget* modal)> act)
{
    auto waited = std::make_shared<QElapsedTimer>();
    waited->start();
    QTimer::singleShot(PollInterval, [waited, act] { Poll(waited, act); });
}
