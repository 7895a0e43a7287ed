#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

#include "platform/Dialogs.h"
#include "support/WaitFor.h"

using namespace zelvo::platform;

namespace {

QList<QMessageBox*> OpenBoxes(const QString& name) {
    QList<QMessageBox*> open;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        auto* box = qobject_cast<QMessageBox*>(w);
        if (box != nullptr && box->objectName() == name && box->isVisible())
            open.push_back(box);
    }
    return open;
}

}  // namespace

TEST(LastingBox, ReturnsAtOnceAndANewerTextReplacesTheOpenOnesText) {
    // Without a recorder the toolkit's own boxes answer; a modal one would
    // not return from the call at all.
    ShowLastingWarning("failure", "Unable to retrieve URL, first.     \nhttp://127.0.0.1:1/");
    auto open = OpenBoxes("failure");
    ASSERT_EQ(open.size(), 1);
    EXPECT_FALSE(open[0]->isModal());
    EXPECT_EQ(open[0]->windowTitle(), "Warning");
    EXPECT_EQ(open[0]->text(), "Unable to retrieve URL, first.     \nhttp://127.0.0.1:1/");

    ShowLastingWarning("failure", "Unable to retrieve URL, second.     \nhttp://127.0.0.1:2/<b>");
    open = OpenBoxes("failure");
    ASSERT_EQ(open.size(), 1) << "failures that recur must not pile up boxes";
    EXPECT_EQ(open[0]->text(), "Unable to retrieve URL, second.     \nhttp://127.0.0.1:2/<b>");
    EXPECT_EQ(open[0]->textFormat(), Qt::PlainText) << "an address is no markup";

    // Another name is another box.
    ShowLastingWarning("other", "text");
    EXPECT_EQ(OpenBoxes("other").size(), 1);
    EXPECT_EQ(OpenBoxes("failure").size(), 1);

    // Once the user closed it, the next failure opens a new one.
    open[0]->button(QMessageBox::Ok)->click();
    OpenBoxes("other")[0]->button(QMessageBox::Ok)->click();
    ASSERT_TRUE(zelvo::testing::WaitFor([] { return OpenBoxes("failure").isEmpty(); }, 2000));
    ShowLastingWarning("failure", "third");
    open = OpenBoxes("failure");
    ASSERT_EQ(open.size(), 1);
    EXPECT_EQ(open[0]->text(), "third");
    open[0]->close();
}
