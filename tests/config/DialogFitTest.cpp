// The dialog at the desktop's font sizes: every text whole, every field
// editable-looking. ZELVO_DIALOG_SHOTS=<folder> also writes each page as a PNG.
#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QTabBar>
#include <QTabWidget>
#include <cstdlib>

#include "DialogFixture.h"

namespace zelvo::config {
namespace {

constexpr QSize kDesignSize(530, 343);

// The one-line text a label or button shows.
QString TextOf(const QWidget* w) {
    if (auto* label = qobject_cast<const QLabel*>(w); label != nullptr && !label->wordWrap())
        return label->text();
    if (auto* button = qobject_cast<const QAbstractButton*>(w))
        return button->text().remove(QLatin1Char('&'));
    return {};
}

class DialogFit : public ConfigDialogTest, public ::testing::WithParamInterface<int> {
protected:
    void SetUp() override {
        ConfigDialogTest::SetUp();
        appFont_ = QApplication::font();
        QFont font = appFont_;
        font.setPointSize(GetParam());
        QApplication::setFont(font);
    }
    void TearDown() override { QApplication::setFont(appFont_); }

    std::unique_ptr<TfrmConfig> Shown() {
        auto dlg = MakeWithUrls("http://127.0.0.1/a\r\n");
        // Empty fields, as a first start leaves the proxy and account ones.
        dlg->Show();
        QApplication::processEvents();
        return dlg;
    }

    static void ShowPage(TfrmConfig& dlg, int index) {
        dlg.PageControl1->SetActivePageIndex(index);
        QApplication::processEvents();
    }

    static void Shoot(QWidget& dlg, const std::string& name) {
        const char* folder = std::getenv("ZELVO_DIALOG_SHOTS");
        if (folder != nullptr)
            dlg.grab().save(QString::fromStdString(std::string(folder) + "/" + name + ".png"));
    }

private:
    QFont appFont_;
};

TEST_P(DialogFit, EveryTextIsWholeAndTheDesignSizeIsTheLeast) {
    auto dlg = Shown();
    EXPECT_GE(dlg->Width(), kDesignSize.width());
    EXPECT_GE(dlg->Height(), kDesignSize.height());
    EXPECT_EQ(Widget(*dlg)->font().pointSize(), GetParam())
        << "the dialog follows the desktop's size";

    // Every tab's caption fits its tab, in one row that none leaves.
    QTabBar* tabs = Widget<QTabWidget>(dlg->PageControl1)->tabBar();
    const QFontMetrics fm = tabs->fontMetrics();
    for (int i = 0; i < tabs->count(); ++i) {
        const QRect r = tabs->tabRect(i);
        EXPECT_GE(r.width(), fm.horizontalAdvance(tabs->tabText(i)) + 4) << i;
        EXPECT_LE(r.right(), tabs->width()) << i;
        if (i > 0) {
            EXPECT_GE(r.left(), tabs->tabRect(i - 1).right()) << i;
        }
    }

    for (int page = 0; page < dlg->PageControl1->PageCount(); ++page) {
        ShowPage(*dlg, page);
        Shoot(*Widget(*dlg),
              "dialog-" + std::to_string(GetParam()) + "pt-page" + std::to_string(page));
        QWidget* shown = Widget(dlg->PageControl1->Page(page));
        std::vector<QWidget*> widgets = {Widget(dlg->btnSaveConfig), Widget(dlg->btnUpdate),
                                         Widget(dlg->btnCancelConfig), Widget(dlg->btnHelpConfig)};
        for (QWidget* w : shown->findChildren<QWidget*>())
            widgets.push_back(w);
        for (QWidget* w : widgets) {
            // The arrows of a number field are sized to the field; a list's
            // edit line is its list's.
            if (!w->isVisible() || qobject_cast<QComboBox*>(w->parentWidget()) != nullptr ||
                (qobject_cast<QAbstractButton*>(w) != nullptr && TextOf(w).isEmpty()))
                continue;
            const QString text = TextOf(w);
            const std::string what =
                "page " + std::to_string(page) + ": " + w->metaObject()->className() + " " +
                w->objectName().toStdString() + " \"" + text.toStdString() + "\"";
            const QSize hint = w->minimumSizeHint();
            EXPECT_GE(w->width(), hint.width()) << what;
            EXPECT_GE(w->height(), hint.height()) << what;
            if (!text.isEmpty()) {
                EXPECT_GE(w->contentsRect().width(), w->fontMetrics().horizontalAdvance(text))
                    << what;
            }
            if (auto* group = qobject_cast<QGroupBox*>(w)) {
                EXPECT_GE(group->width(), group->fontMetrics().horizontalAdvance(group->title()))
                    << what;
            }
            // Nothing sticks out of its page, or out of the dialog.
            QWidget* frame = shown->isAncestorOf(w) ? shown : Widget(*dlg);
            const QRect inFrame(w->mapTo(frame, QPoint(0, 0)), w->size());
            EXPECT_TRUE(frame->rect().contains(inFrame)) << what;
        }
    }
}

TEST_P(DialogFit, EmptyFieldsArePaintedAsEditable) {
    auto dlg = Shown();
    const QColor base = QApplication::palette().color(QPalette::Base);
    for (int page = 0; page < dlg->PageControl1->PageCount(); ++page) {
        ShowPage(*dlg, page);
        for (auto* edit : Widget(dlg->PageControl1->Page(page))->findChildren<QLineEdit*>()) {
            if (!edit->isVisible())
                continue;
            edit->clear();
            QApplication::processEvents();
            const QImage image = edit->grab().toImage();
            const QPoint middle(image.width() / 2, image.height() / 2);
            EXPECT_EQ(image.pixelColor(middle), base)
                << "page " << page << ": " << edit->objectName().toStdString() << " "
                << edit->parentWidget()->objectName().toStdString();
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Points, DialogFit, ::testing::Values(9, 11, 14),
                         [](const auto& info) { return std::to_string(info.param) + "pt"; });

}  // namespace
}  // namespace zelvo::config
