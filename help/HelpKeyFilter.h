#pragma once

#include <QObject>

// F1 anywhere, and a click in "What's This?" mode (Shift+F1), open the help topic of the
// window it happened in. Install it on the application object.
class HelpKeyFilter : public QObject {
    Q_OBJECT
public:
    explicit HelpKeyFilter(QObject* parent = nullptr);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};
