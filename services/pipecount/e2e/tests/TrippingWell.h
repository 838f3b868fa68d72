#pragma once
// The well of the end-to-end tests that trip a string: well 1 with open run 1
// (kelly 12 m) and a tally of plain pipes of the given lengths, numbered from 1.
#include "WellDatabaseSupport.h"

#include <QStringList>
#include <vector>

inline void WriteTrippingWell(const std::vector<double>& lengths) {
    QStringList sql{"insert into WELLS values (1)",
                    "insert into RUNS (WELLID, RUNNO, CLOSED, KELLYLENGTH) values (1, 1, 0, 12)",
                    "insert into REF_BHAITEMS values (33554432, 'ТБПК-127', '', 9.5, 30, 108, 127, NULL)"};
    for (size_t i = 0; i < lengths.size(); ++i)
        sql << QStringLiteral("insert into BOTTOMHOLEASSEMBLY values (1, 1, %1, 33554432, 0, %1, 0, %2, "
                              "'ТБПК-127', '')")
                   .arg(i + 1)
                   .arg(lengths[i]);
    RunSql(sql);
}
