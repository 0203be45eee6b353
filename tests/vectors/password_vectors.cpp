#include "vectors/password_vectors.h"

#include <sstream>

#include "support/hex.h"

extern const char kPasswordVectorsTsv[];

namespace {

std::vector<std::string> SplitTabs(const std::string& line) {
    std::vector<std::string> fields;
    std::string::size_type start = 0;
    for (;;) {
        const auto tab = line.find('\t', start);
        fields.push_back(line.substr(start, tab - start));
        if (tab == std::string::npos) return fields;
        start = tab + 1;
    }
}

}  // namespace

std::vector<PasswordVector> LoadPasswordVectors() {
    std::vector<PasswordVector> vectors;
    std::istringstream lines(kPasswordVectorsTsv);
    std::string line;
    while (std::getline(lines, line)) {
        if (line.empty() || line[0] == '#') continue;
        const auto fields = SplitTabs(line);
        if (fields.size() != 7) continue;  // the tests check the count they expect
        PasswordVector v;
        v.name = fields[0];
        v.keyword1 = FromHex(fields[1]);
        v.keyword2 = FromHex(fields[2]);
        v.length = std::stoi(fields[3]);
        v.lowercase = fields[4].find('l') != std::string::npos;
        v.uppercase = fields[4].find('u') != std::string::npos;
        v.numbers = fields[4].find('n') != std::string::npos;
        v.symbols = fields[5];
        v.password = fields[6];
        vectors.push_back(v);
    }
    return vectors;
}
