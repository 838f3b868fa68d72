#pragma once
// Filter texts of the catalogue ("(System='Boremont') And (Profile='*')")
// turned into a parameterised SQL condition. Only the catalogue's own columns
// may be named and every value becomes a bound parameter, so no text of a
// filter ever reaches the SQL itself.
//
// Grammar (keywords in any letter case):
//   expr       := and-expr { OR and-expr }
//   and-expr   := unary { AND unary }
//   unary      := NOT unary | '(' expr ')' | comparison
//   comparison := column ( op value | IS [NOT] NULL | [NOT] LIKE string )
//   op         := = | <> | != | < | > | <= | >=
//   value      := 'text' ('' inside for a quote) | number | TRUE | FALSE
//   column     := name | [name]
// LIKE patterns use * or % for any run of characters.
#include "Exceptions.h"

#include <QString>
#include <QVariantList>

class ESensMapFilterError : public Exception {
public:
    using Exception::Exception;
};

struct TSensMapCondition {
    QString Sql;  // empty for an empty filter
    QVariantList Params;
};

// Raises ESensMapFilterError for a text that is not a valid filter.
TSensMapCondition ParseSensMapFilter(const QString& filter);

// The columns of the catalogue table, in their table order.
const QStringList& SensMapColumns();
