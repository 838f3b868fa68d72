#include "LasTestSupport.h"

#include <cctype>
#include <cstdlib>
#include <sstream>

namespace {

std::string TrimStd(const std::string& s) {
    size_t b = 0, e = s.size();
    while (b < e && std::isspace(static_cast<unsigned char>(s[b]))) ++b;
    while (e > b && std::isspace(static_cast<unsigned char>(s[e - 1]))) --e;
    return s.substr(b, e - b);
}

bool ParseNumber(const std::string& word, double& v) {
    if (word.empty()) return false;
    for (char c : word)
        if (!(std::isdigit(static_cast<unsigned char>(c)) || c == '.' || c == '-' || c == '+' || c == 'e' || c == 'E'))
            return false;
    char* end = nullptr;
    v = std::strtod(word.c_str(), &end);
    return end == word.c_str() + word.size();
}

std::vector<std::string> Words(const std::string& line) {
    std::vector<std::string> words;
    std::istringstream in(line);
    std::string w;
    while (in >> w) words.push_back(w);
    return words;
}

struct TParsedLine {
    std::string Mnem, Unit, Value, Descr;
};

// "MNEM.UNIT VALUE : DESCRIPTION": the first dot ends the mnemonic, the unit
// runs to the first space, the last colon ends the value.
bool ParseHeaderLine(const std::string& line, TParsedLine& out) {
    const size_t dot = line.find('.');
    const size_t colon = line.rfind(':');
    if (dot == std::string::npos || colon == std::string::npos || colon < dot) return false;
    out.Mnem = TrimStd(line.substr(0, dot));
    const size_t space = line.find(' ', dot);
    const size_t unitEnd = space == std::string::npos || space > colon ? colon : space;
    out.Unit = line.substr(dot + 1, unitEnd - dot - 1);
    out.Value = TrimStd(line.substr(unitEnd, colon - unitEnd));
    out.Descr = TrimStd(line.substr(colon + 1));
    return !out.Mnem.empty();
}

}  // namespace

TStrictLas ReadStrictLas20(const QByteArray& bytes) {
    TStrictLas r;
    auto fail = [&r](const std::string& why) {
        r.Ok = false;
        r.Error = why;
        return r;
    };
    std::vector<std::string> lines;
    {
        std::string cur;
        for (qsizetype i = 0; i < bytes.size(); ++i) {
            const char c = bytes[i];
            if (c == '\n') {
                if (!cur.empty() && cur.back() == '\r') cur.pop_back();
                lines.push_back(cur);
                cur.clear();
            } else {
                cur += c;
            }
        }
        if (!cur.empty()) lines.push_back(cur);
    }
    char section = 0;
    std::string order;
    std::vector<std::string> data;
    for (const std::string& raw : lines) {
        const std::string line = TrimStd(raw);
        if (line.empty()) return fail("blank line in the file");
        if (line[0] == '#') continue;
        if (line[0] == '~') {
            if (line.size() < 2) return fail("bare tilde");
            section = line[1];
            if (std::string("VWCPOA").find(section) == std::string::npos) return fail("unknown section " + line);
            if (order.find(section) != std::string::npos) return fail("section twice: " + line);
            order += section;
            continue;
        }
        if (section == 0) return fail("text before the first section");
        if (section == 'A') {
            data.push_back(raw);
            continue;
        }
        if (section == 'O') continue;
        TParsedLine p;
        if (!ParseHeaderLine(line, p)) return fail("bad header line: " + line);
        if (section == 'V') {
            if (p.Mnem == "VERS") r.Version = p.Value;
            if (p.Mnem == "WRAP") {
                if (p.Value != "YES" && p.Value != "NO") return fail("WRAP not YES or NO");
                r.Wrap = p.Value == "YES";
            }
        } else if (section == 'W') {
            r.Well[p.Mnem] = p.Value;
        } else if (section == 'C') {
            r.Curves.push_back(p.Mnem);
            r.Units.push_back(p.Unit);
        }
    }
    if (order.empty() || order[0] != 'V') return fail("~V is not the first section");
    if (order.back() != 'A') return fail("~A is not the last section");
    for (char s : std::string("VWC"))
        if (order.find(s) == std::string::npos) return fail(std::string("missing section ~") + s);
    if (r.Version != "2.0") return fail("VERS is not 2.0: " + r.Version);
    for (const char* m : {"STRT", "STOP", "STEP", "NULL"})
        if (!r.Well.count(m)) return fail(std::string("missing ") + m);
    if (!ParseNumber(r.Well["NULL"], r.Null)) return fail("NULL is not a number");
    if (r.Curves.empty()) return fail("no curves");
    const size_t n = r.Curves.size();
    std::vector<double> row;
    for (const std::string& line : data) {
        if (line.find('\t') != std::string::npos || line.find(',') != std::string::npos)
            return fail("data not space-delimited: " + line);
        const std::vector<std::string> words = Words(line);
        if (r.Wrap) {
            if (line.size() > 80) return fail("wrapped line longer than 80");
            if (row.empty() && words.size() != 1) return fail("index not alone on its line: " + line);
        }
        for (const std::string& w : words) {
            double v = 0;
            if (!ParseNumber(w, v)) return fail("not a number: " + w);
            row.push_back(v);
        }
        if (!r.Wrap && row.size() != n) return fail("data line with the wrong count: " + line);
        if (row.size() > n) return fail("wrapped record with too many values");
        if (row.size() == n) {
            r.Rows.push_back(row);
            row.clear();
        }
    }
    if (!row.empty()) return fail("incomplete record at the end");
    r.Ok = true;
    return r;
}
