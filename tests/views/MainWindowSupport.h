#pragma once

#include "app/TFMain.h"
#include "tests/support/TestUtil.h"
#include "tests/views/Fixtures.h"
#include "views/TChildGraph.h"
#include "views/TChildInfo.h"
#include "views/TChildText.h"

#include <QMdiArea>
#include <QProcess>
#include <memory>

// A main window as a started program has it: quiet settings, shown, the default windows open.
inline std::unique_ptr<TFMain> OpenMain() {
    Fixtures::SeedQuietStart();
    auto w = std::make_unique<TFMain>();
    w->show();
    WaitUntil([&] { return w->MdiArea()->subWindowList().size() == 3; }, 3000);
    return w;
}

inline void Activate(TFMain& w, QMdiSubWindow* child) {
    w.MdiArea()->setActiveSubWindow(child);
}

// A tool's standard output ("pdftotext -layout file -", "pdfinfo file").
inline QString RunTool(const QString& program, const QStringList& arguments) {
    QProcess p;
    p.start(program, arguments);
    p.waitForFinished(30000);
    return QString::fromUtf8(p.readAllStandardOutput());
}
