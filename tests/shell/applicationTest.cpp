// The application object's last net: an error that escapes an event handler
// is shown in the default error box and the program goes on.
#include "sorvaneApplication.h"

#include <QMessageBox>
#include <QTimer>
#include <gtest/gtest.h>
#include <stdexcept>

using namespace sorvane;

namespace {

class RaisingObject : public QObject {
public:
    bool event(QEvent* event) override
    {
        if (event->type() == QEvent::User)
            throw std::runtime_error("Cannot open file /site/page.htm");
        return QObject::event(event);
    }
};

TEST(SorvaneApplication, ShowsAnEscapedErrorInTheDefaultErrorBoxAndGoesOn)
{
    int argc = 1;
    char name[] = "sorvane";
    char* argv[] = {name, nullptr};
    SorvaneApplication application(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Sorvane"));

    QString caption, text;
    QTimer answer;
    QObject::connect(&answer, &QTimer::timeout, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            caption = box->windowTitle();
            text = box->text();
            box->accept();
        }
    });
    answer.start(10);

    RaisingObject raising;
    QEvent event(QEvent::User);
    EXPECT_FALSE(QCoreApplication::sendEvent(&raising, &event));
    EXPECT_EQ(caption, "Sorvane");
    EXPECT_EQ(text, "Cannot open file /site/page.htm.");
}

}  // namespace
