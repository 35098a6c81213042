#include "tests/support/ScriptedPrompts.h"

#include <gtest/gtest.h>

using Prompts::Answer;
using Prompts::Kind;

namespace {
QString kindName(Kind k) {
    return Prompts::Caption(k);
}
} // namespace

ScriptedPrompts::ScriptedPrompts() {
    Prompts::Install(this);
}

ScriptedPrompts::~ScriptedPrompts() {
    Prompts::Install(nullptr);
    for (const auto& e : m_script)
        ADD_FAILURE() << "expected prompt never came: " << qPrintable(e.text) << qPrintable(e.path);
}

ScriptedPrompts& ScriptedPrompts::expect(Kind kind, const QString& text, Answer answer) {
    m_script.append({Step::Ask, kind, text, false, answer, {}, false});
    return *this;
}

ScriptedPrompts& ScriptedPrompts::expectContaining(Kind kind, const QString& part, Answer answer) {
    m_script.append({Step::Ask, kind, part, true, answer, {}, false});
    return *this;
}

ScriptedPrompts& ScriptedPrompts::expectOpenFile(const QString& path) {
    m_script.append({Step::Open, Kind::Message, {}, false, Answer::Ok, path, false});
    return *this;
}

ScriptedPrompts& ScriptedPrompts::expectSaveFile(const QString& path) {
    m_script.append({Step::Save, Kind::Message, {}, false, Answer::Ok, path, false});
    return *this;
}

ScriptedPrompts& ScriptedPrompts::expectPrinterSetup(bool accept) {
    m_script.append({Step::Printer, Kind::Message, {}, false, Answer::Ok, {}, accept});
    return *this;
}

void ScriptedPrompts::allowAny(Answer answer) {
    m_lenient = true;
    m_lenientAnswer = answer;
}

bool ScriptedPrompts::take(Step step, Expectation& out, const QString& what) {
    if (m_script.isEmpty() || m_script.front().step != step) {
        if (!(m_lenient && step == Step::Ask))
            ADD_FAILURE() << "unexpected prompt: " << qPrintable(what)
                          << (m_script.isEmpty() ? QString()
                                                 : " (expected: " + m_script.front().text +
                                                       m_script.front().path + ")")
                                 .toStdString();
        return false;
    }
    out = m_script.takeFirst();
    return true;
}

Answer ScriptedPrompts::ask(Kind kind, const QString& text) {
    m_seen.append({kind, text});
    const QString what = "[" + kindName(kind) + "] " + text;
    if (!m_script.isEmpty() && m_script.front().step == Step::Ask) {
        const auto& e = m_script.front();
        const bool match =
            e.kind == kind && (e.containing ? text.contains(e.text) : text == e.text);
        if (!match && m_lenient)
            return m_lenientAnswer;
    }
    Expectation e;
    if (!take(Step::Ask, e, what))
        return m_lenient ? m_lenientAnswer
                         : (kind == Kind::Message || kind == Kind::Error ? Answer::Ok : Answer::No);
    EXPECT_EQ(kindName(e.kind).toStdString(), kindName(kind).toStdString()) << qPrintable(text);
    if (e.containing)
        EXPECT_TRUE(text.contains(e.text))
            << "prompt: " << qPrintable(text) << "\nexpected to contain: " << qPrintable(e.text);
    else
        EXPECT_EQ(e.text.toStdString(), text.toStdString());
    return e.answer;
}

QString ScriptedPrompts::openFile(const Prompts::FileDialog& dialog) {
    m_dialogs.append(dialog);
    Expectation e;
    return take(Step::Open, e, "open file dialog " + dialog.title) ? e.path : QString();
}

QString ScriptedPrompts::saveFile(const Prompts::FileDialog& dialog) {
    m_dialogs.append(dialog);
    Expectation e;
    return take(Step::Save, e, "save file dialog " + dialog.title) ? e.path : QString();
}

bool ScriptedPrompts::printerSetup(QPrinter*) {
    Expectation e;
    return take(Step::Printer, e, "printer set-up dialog") && e.accept;
}

RecordingOpener::RecordingOpener() {
    DesktopOpener::Install(this);
}
RecordingOpener::~RecordingOpener() {
    DesktopOpener::Install(nullptr);
}
bool RecordingOpener::open(const QString& url) {
    opened << url;
    return opens;
}
bool RecordingOpener::hasHandler(const QString&) {
    return handlerAvailable;
}
