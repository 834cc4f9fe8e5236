// The one idiom of the table tests: a row derives from NamedRow, whose name
// comes first in the row's braces, names the test and is what GoogleTest
// prints for the row.
//
//     struct SplitRow : NamedRow {
//         std::string path, folder;
//     };
//     INSTANTIATE_TEST_SUITE_P(Paths, Split, ::testing::Values(SplitRow{"Plain", "a/b", "a/"}),
//                              RowName<SplitRow>);
#pragma once

#include <concepts>
#include <ostream>
#include <string>

#include <gtest/gtest.h>

namespace sorvane::testkit {

struct NamedRow {
    const char* name;
};

template <std::derived_from<NamedRow> Row>
void PrintTo(const Row& row, std::ostream* out)
{
    *out << row.name;
}

template <std::derived_from<NamedRow> Row>
std::string RowName(const ::testing::TestParamInfo<Row>& info)
{
    return info.param.name;
}

}  // namespace sorvane::testkit
