#pragma once

#include "ui/DesktopOpener.h"
#include "ui/Prompts.h"

#include <QList>
#include <QString>

// Answers prompts from a script. A prompt the test did not expect fails the test loudly (and is
// answered No/Cancel so nothing blocks); expectations left over at destruction fail it too.
class ScriptedPrompts final : public Prompts::Service {
public:
    struct Seen {
        Prompts::Kind kind;
        QString text;
    };

    ScriptedPrompts(); // installs itself
    ~ScriptedPrompts() override;

    // The next prompt must be of this kind with exactly this text (or containing it).
    ScriptedPrompts& expect(Prompts::Kind kind, const QString& text, Prompts::Answer answer);
    ScriptedPrompts& expectContaining(Prompts::Kind kind, const QString& part,
                                      Prompts::Answer answer);
    // The next file dialog returns this path ("" = cancelled).
    ScriptedPrompts& expectOpenFile(const QString& path);
    ScriptedPrompts& expectSaveFile(const QString& path);
    ScriptedPrompts& expectPrinterSetup(bool accept);
    // Any further message-box prompt is answered with this instead of failing the test.
    void allowAny(Prompts::Answer answer);

    const QList<Seen>& seen() const { return m_seen; }
    int pending() const { return int(m_script.size()); }
    const QList<Prompts::FileDialog>& fileDialogs() const { return m_dialogs; }

    Prompts::Answer ask(Prompts::Kind kind, const QString& text) override;
    QString openFile(const Prompts::FileDialog& dialog) override;
    QString saveFile(const Prompts::FileDialog& dialog) override;
    bool printerSetup(QPrinter* printer) override;

private:
    enum class Step { Ask, Open, Save, Printer };
    struct Expectation {
        Step step;
        Prompts::Kind kind = Prompts::Kind::Message;
        QString text;
        bool containing = false;
        Prompts::Answer answer = Prompts::Answer::Ok;
        QString path;
        bool accept = false;
    };
    bool take(Step step, Expectation& out, const QString& what);

    QList<Expectation> m_script;
    QList<Seen> m_seen;
    QList<Prompts::FileDialog> m_dialogs;
    bool m_lenient = false;
    Prompts::Answer m_lenientAnswer = Prompts::Answer::No;
};

// Records what would have been opened with the desktop's application.
class RecordingOpener final : public DesktopOpener::Service {
public:
    RecordingOpener(); // installs itself
    ~RecordingOpener() override;
    bool open(const QString& url) override;
    bool hasHandler(const QString& mimeType) override;

    QStringList opened;
    bool handlerAvailable = true;
    bool opens = true; // false: the desktop could not open the URL
};
