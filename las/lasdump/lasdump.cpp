// lasdump FILE: the field names on the first line, then one line per record,
// values tab-separated in their shortest round-trip form, empty for null.
// lasdump --rewrite OUT [--wrap] FILE: copies FILE to OUT, opens OUT as a
// table, posts every record back unchanged and closes it, so OUT holds what
// the table saves.
#include "Exceptions.h"
#include "Logsheaf10.h"

#include <QFile>
#include <charconv>
#include <cstdio>
#include <string>

namespace {

int Usage() {
    std::fputs("usage: lasdump FILE\n       lasdump --rewrite OUT [--wrap] FILE\n", stderr);
    return 2;
}

void Dump(TLogsheaf& table) {
    std::string out;
    for (int i = 0; i < table.FieldCount(); ++i) {
        if (i) out += '\t';
        out += table.Fields(i)->FieldName().toStdString();
    }
    out += '\n';
    std::fwrite(out.data(), 1, out.size(), stdout);
    for (table.First(); !table.Eof(); table.Next()) {
        out.clear();
        for (int i = 0; i < table.FieldCount(); ++i) {
            if (i) out += '\t';
            double v = 0;
            if (!table.Fields(i)->GetData(&v)) continue;
            char buf[64];
            const auto res = std::to_chars(buf, buf + sizeof buf, v);
            out.append(buf, res.ptr);
        }
        out += '\n';
        std::fwrite(out.data(), 1, out.size(), stdout);
    }
}

void Rewrite(const QString& source, const QString& target, bool wrap) {
    if (QFile::exists(target) && !QFile::remove(target))
        throw Exception(QStringLiteral("Cannot replace %1").arg(target));
    if (!QFile::copy(source, target)) throw Exception(QStringLiteral("Cannot copy %1 to %2").arg(source, target));
    TLogsheaf table;
    table.SetFileName(target);
    table.Open();
    if (wrap) table.SetWrapped(true);
    for (table.First(); !table.Eof(); table.Next()) {
        table.Edit();
        table.Post();
    }
    table.Close();
}

}  // namespace

int main(int argc, char** argv) {
    QStringList args;
    for (int i = 1; i < argc; ++i) args << QString::fromLocal8Bit(argv[i]);
    try {
        if (args.size() == 1 && !args[0].startsWith(QLatin1String("--"))) {
            TLogsheaf table;
            table.SetFileName(args[0]);
            table.SetReadOnly(true);
            table.Open();
            Dump(table);
            return 0;
        }
        if (args.size() >= 3 && args[0] == QLatin1String("--rewrite")) {
            const bool wrap = args.size() == 4 && args[2] == QLatin1String("--wrap");
            if (args.size() != (wrap ? 4 : 3)) return Usage();
            Rewrite(args.last(), args[1], wrap);
            return 0;
        }
        return Usage();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", ExceptionMessage(e).toLocal8Bit().constData());
        return 1;
    }
}
