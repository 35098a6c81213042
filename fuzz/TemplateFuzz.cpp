// libFuzzer target for what the spreadsheet reads from outside: a report template package, and
// the texts it takes as typed input.
#include "export/TypedInput.h"
#include "export/XlsxWorkbook.h"
#include "ui/OmbrexError.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstdlib>
#include <memory>

namespace {

std::unique_ptr<QTemporaryDir> g_folder;

void TypedInputHolds(const QByteArray& bytes) {
    const TypedValue v = InterpretTypedInput(QString::fromUtf8(bytes), QLocale::c());
    if (v.kind == TypedValue::Kind::Text && v.text != QString::fromUtf8(bytes))
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    static QCoreApplication app(*argc, *argv);
    g_folder = std::make_unique<QTemporaryDir>();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    if (size < 64) {
        TypedInputHolds(bytes);
        return 0;
    }
    const QString templatePath = g_folder->path() + "/fuzz.xltx";
    const QString outPath = g_folder->path() + "/fuzz.xlsx";
    QFile file(templatePath);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return 0;
    file.write(bytes);
    file.close();
    try {
        XlsxWorkbook book;
        book.load(templatePath);
        TypedValue text;
        text.kind = TypedValue::Kind::Text;
        text.text = QStringLiteral("Field <7> & \"north\"");
        book.setValue(2, 2, text);
        book.setValue(7, 1,
                      InterpretTypedInput(QStringLiteral("03/01/09 8:05:00 AM"), QLocale::c()));
        book.setFontColor(7, 1, 0xFF0000);
        book.setValue(8, 3, text);
        book.save(outPath);
        // What was written must load again as a template would.
        XlsxWorkbook again;
        again.load(outPath);
    } catch (const OmbrexError&) {
    }
    QFile::remove(outPath);
    return 0;
}
