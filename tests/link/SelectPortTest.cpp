#include "link/LinkErrors.h"
#include "link/PortChooser.h"
#include "link/SerialPort.h"
#include "link/dialogs/SelectPortChooser.h"
#include "link/dialogs/TComSelectForm.h"
#include "tests/link/PtyPeer.h"

#include <QApplication>
#include <QComboBox>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <gtest/gtest.h>

TEST(TComSelectForm, ListsThePortsThatCanBeOpened) {
    PtyPeer seven(7);
    PtyPeer thirtyThree(33);
    PtyPeer held(34);
    SerialPort holder;
    holder.setComNumber(34);
    holder.setOpen(true);

    TComSelectForm form;
    EXPECT_EQ(form.windowTitle(), "Select Port");
    EXPECT_GE(form.width(), 220);
    EXPECT_GE(form.height(), 131);
    EXPECT_EQ(form.minimumSize(), form.maximumSize());
    EXPECT_TRUE(form.isModal());
    QStringList texts;
    for (const QLabel* label : form.findChildren<QLabel*>())
        texts << label->text();
    EXPECT_TRUE(texts.contains("The configured serial port is not valid."));
    EXPECT_TRUE(texts.contains("Please choose another port."));
    EXPECT_FALSE(form.PortsComboBox->isEditable());
    EXPECT_EQ(form.OkBtn->text(), "OK");
    EXPECT_TRUE(form.OkBtn->isDefault());
    EXPECT_EQ(form.AbortBtn->text(), "Cancel");

    QList<int> listed;
    for (int i = 0; i < form.PortsComboBox->count(); ++i) {
        const QString item = form.PortsComboBox->itemText(i);
        ASSERT_TRUE(item.startsWith("COM"));
        listed << item.mid(3).toInt();
    }
    EXPECT_TRUE(listed.contains(7));
    EXPECT_TRUE(listed.contains(33));
    EXPECT_FALSE(listed.contains(34)); // held open
    EXPECT_TRUE(std::is_sorted(listed.begin(), listed.end()));
    EXPECT_EQ(form.PortsComboBox->currentIndex(), 0);
    EXPECT_EQ(form.SelectedPort(), listed.front());
    form.PortsComboBox->setCurrentIndex(listed.indexOf(33));
    EXPECT_EQ(form.SelectedPort(), 33);

    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_LE(std::abs(form.geometry().center().x() - screen.center().x()), 2);

    form.show(); // non-modal look in offscreen mode
    // Every line of the text is shown whole, inside the window.
    for (const QLabel* label : form.findChildren<QLabel*>()) {
        EXPECT_GE(label->width(), label->sizeHint().width()) << label->text().toStdString();
        EXPECT_TRUE(form.rect().contains(QRect(label->mapTo(&form, QPoint()), label->size())));
    }
    for (const QWidget* w :
         {static_cast<QWidget*>(form.PortsComboBox), static_cast<QWidget*>(form.OkBtn),
          static_cast<QWidget*>(form.AbortBtn)})
        EXPECT_TRUE(form.rect().contains(w->geometry()));
    form.AbortBtn->click();
    EXPECT_EQ(form.result(), QDialog::Rejected);
}

// The chooser the application installs: Select Port opens the chosen port; Cancel selects none.
TEST(SelectPortChooser, OpensThePortChosenInTheDialog) {
    PtyPeer thirtyThree(33);
    SelectPortChooser chooser;
    PortChooser::Install(&chooser);
    SerialPort port;
    const auto answer = [](bool ok) {
        QTimer::singleShot(50, [ok] {
            auto* form = qobject_cast<TComSelectForm*>(QApplication::activeModalWidget());
            ASSERT_NE(form, nullptr);
            form->PortsComboBox->setCurrentIndex(form->PortsComboBox->findText("COM33"));
            (ok ? form->OkBtn : form->AbortBtn)->click();
        });
    };
    answer(false);
    try {
        port.setOpen(true);
        ADD_FAILURE() << "opened without a port";
    } catch (const OmbrexError& e) {
        EXPECT_EQ(e.code(), LinkError::NoPortSelected);
    }
    EXPECT_EQ(port.ComNumber(), 0);
    answer(true);
    port.setOpen(true);
    EXPECT_TRUE(port.Open());
    EXPECT_EQ(port.ComNumber(), 33);
    EXPECT_EQ(port.DevicePath(), thirtyThree.devicePath());
    PortChooser::Install(nullptr);
}
