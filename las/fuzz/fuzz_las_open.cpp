// Opens arbitrary bytes as a LAS file, reads every value, and writes the
// table back to a second file: any failure must be an exception.
#include "Exceptions.h"
#include "Logsheaf10.h"

#include <QFile>
#include <QTemporaryDir>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static QTemporaryDir dir;
    const QString path = dir.filePath("in.las");
    {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly)) return 0;
        f.write(reinterpret_cast<const char*>(data), qint64(size));
    }
    for (const bool wrapped : {false, true}) {
        try {
            TLogsheaf t;
            t.SetFileName(path);
            t.SetAutodetectCodepage(size > 0 && (data[0] & 1));
            t.SetIgnoreInvalidMnemonics(size > 1 && (data[1] & 1));
            t.Open();
            double sum = 0;
            for (t.First(); !t.Eof(); t.Next())
                for (int i = 0; i < t.FieldCount(); ++i) sum += t.Fields(i)->AsFloat();
            (void)sum;
            (void)t.Well();
            (void)t.Comment();
            t.SetWrapped(wrapped);
            t.Flip();
            t.Close();
        } catch (const std::exception&) {
        }
    }
    return 0;
}
