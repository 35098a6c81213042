#pragma once

#include <QDialog>
#include <functional>

class QLineEdit;
class QPushButton;

// "Set Device Name": the name the logger should carry, at most 32 characters. It hands the
// name back through onOk (after which it closes); Enter in the edit acts as OK. Escape and a
// close request act as Cancel. It answers once: whatever comes after the first answer is
// ignored.
class TFName : public QDialog {
    Q_OBJECT
public:
    TFName(QWidget* mainWindow, const QString& name);

    QLineEdit* Edit1;
    QPushButton* OKBtn;
    QPushButton* CancelBtn;

    std::function<void(const QString&)> onOk;
    std::function<void()> onCancel;

    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void answerOk();
    void answerCancel();
    bool m_answered = false;
};
