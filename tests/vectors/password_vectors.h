// The checked-in end-to-end password vectors (passwords.tsv), compiled into
// the test programs so that they need no file at run time, under Wine too.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct PasswordVector {
    std::string name;
    std::vector<std::uint8_t> keyword1;  // UTF-8
    std::vector<std::uint8_t> keyword2;
    std::int32_t length = 0;
    bool numbers = false;
    bool uppercase = false;
    bool lowercase = false;
    std::string symbols;
    std::string password;
};

// Every row of the vectors' text, in order; lines that are empty or start
// with '#' are comments. A malformed row throws std::runtime_error naming its
// line, so that a damaged file fails the tests instead of losing a vector.
std::vector<PasswordVector> ParsePasswordVectors(const std::string& tsv);

// The checked-in passwords.tsv, byte for byte.
extern const char kPasswordVectorsTsv[];

// ParsePasswordVectors of the checked-in passwords.tsv.
std::vector<PasswordVector> LoadPasswordVectors();
