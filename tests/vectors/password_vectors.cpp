#include "vectors/password_vectors.h"

#include <set>
#include <sstream>
#include <stdexcept>

#include "support/hex.h"

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

// FromHex skips anything that is not a digit; here a stray character means a
// damaged row.
std::vector<std::uint8_t> StrictHex(const std::string& hex, const char* what) {
    if (hex.empty() || hex.size() % 2 != 0 ||
        hex.find_first_not_of("0123456789abcdef") != std::string::npos) {
        throw std::invalid_argument(std::string(what) + " is not lowercase hex of whole bytes");
    }
    return FromHex(hex);
}

std::int32_t StrictLength(const std::string& text) {
    if (text.empty() || text.size() > 4 || text.find_first_not_of("0123456789") != std::string::npos ||
        text[0] == '0') {
        throw std::invalid_argument("the length is not a positive decimal number");
    }
    return std::stoi(text);
}

PasswordVector ParseRow(const std::string& line) {
    const auto fields = SplitTabs(line);
    if (fields.size() != 7) {
        throw std::invalid_argument(std::to_string(fields.size()) + " fields instead of 7");
    }
    PasswordVector v;
    v.name = fields[0];
    if (v.name.empty()) throw std::invalid_argument("the name is empty");
    v.keyword1 = StrictHex(fields[1], "keyword 1");
    v.keyword2 = StrictHex(fields[2], "keyword 2");
    v.length = StrictLength(fields[3]);
    const std::string& classes = fields[4];
    if (classes.find_first_not_of("lun") != std::string::npos ||
        std::set<char>(classes.begin(), classes.end()).size() != classes.size()) {
        throw std::invalid_argument("the classes are not a set of l, u and n");
    }
    v.lowercase = classes.find('l') != std::string::npos;
    v.uppercase = classes.find('u') != std::string::npos;
    v.numbers = classes.find('n') != std::string::npos;
    v.symbols = fields[5];
    if (classes.empty() && v.symbols.empty()) throw std::invalid_argument("no character pool");
    v.password = fields[6];
    if (v.password.size() != static_cast<std::size_t>(v.length)) {
        throw std::invalid_argument("the password does not have the row's length");
    }
    return v;
}

}  // namespace

std::vector<PasswordVector> ParsePasswordVectors(const std::string& tsv) {
    std::vector<PasswordVector> vectors;
    std::set<std::string> names;
    std::istringstream lines(tsv);
    std::string line;
    for (int number = 1; std::getline(lines, line); ++number) {
        if (line.empty() || line[0] == '#') continue;
        try {
            vectors.push_back(ParseRow(line));
            if (!names.insert(vectors.back().name).second) {
                throw std::invalid_argument("the name is used twice");
            }
        } catch (const std::exception& e) {
            throw std::runtime_error("password vectors, line " + std::to_string(number) + ": " +
                                     e.what());
        }
    }
    return vectors;
}

std::vector<PasswordVector> LoadPasswordVectors() {
    return ParsePasswordVectors(kPasswordVectorsTsv);
}
