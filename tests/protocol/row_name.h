#pragma once

#include <gtest/gtest.h>

#include <ostream>
#include <string>

// Test tables are rows with a `name` that reads as the sentence the row tests. The
// unnamed namespace is the one each test file declares its rows in, so GoogleTest
// finds PrintTo for them and prints the name instead of the row's bytes.
namespace {

template <typename Row>
requires requires(const Row& row)
{
    std::string(row.name);
}
void PrintTo(const Row& row, std::ostream* out)
{
    *out << row.name;
}

// Names each parameterised case after its row.
struct RowName
{
    template <typename Row> std::string operator()(const testing::TestParamInfo<Row>& info) const
    {
        return info.param.name;
    }
};

} // namespace
