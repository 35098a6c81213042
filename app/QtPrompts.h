#pragma once

#include "ui/DesktopOpener.h"
#include "ui/Prompts.h"

// The Qt Widgets implementation of the prompts service.
class QtPrompts final : public Prompts::Service {
public:
    Prompts::Answer ask(Prompts::Kind kind, const QString& text) override;
    QString openFile(const Prompts::FileDialog& dialog) override;
    QString saveFile(const Prompts::FileDialog& dialog) override;
    bool printerSetup(QPrinter* printer) override;

    // "Hyetra Data Files|*.dat|Version 2.0 Files|*.csv" in the file dialog's own form.
    static QString QtFilter(const QString& filter);
};

// Opens URLs with the desktop's handlers.
class QtDesktopOpener final : public DesktopOpener::Service {
public:
    bool open(const QString& url) override;
    bool hasHandler(const QString& mimeType) override;
};
