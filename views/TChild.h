#pragma once

#include <QMdiSubWindow>

class ChildHost;

// Common ground of the three child windows: they tell the main window when they are activated,
// deactivated or closed, and destroy themselves when closed.
class TChild : public QMdiSubWindow {
    Q_OBJECT
public:
    explicit TChild(ChildHost* host, QWidget* parent = nullptr);
    ~TChild() override;

protected:
    void closeEvent(QCloseEvent* event) override;
    ChildHost* host() const { return m_host; }

private:
    ChildHost* m_host;
    QMetaObject::Connection m_stateWatch;
};
