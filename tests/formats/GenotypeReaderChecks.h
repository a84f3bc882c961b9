#pragma once

// What the tests of the genotype readers look at: the fields a reader gives, and the message of the
// data problem it throws.

#include "formats/GenotypeFormats.h"
#include "tests/support/DataProblems.h"

#include <string>
#include <vector>

namespace tessaloc::testing {

/// The fields of one locus, in file order.
inline std::vector<std::string> fieldsOf(const NamedGenotypes& genotypes, size_t locus)
{
    std::vector<std::string> fields;
    for (size_t k = 0; k < genotypes.loci[locus].size(); ++k)
        fields.push_back(genotypes.loci[locus][k]);
    return fields;
}

} // namespace tessaloc::testing
