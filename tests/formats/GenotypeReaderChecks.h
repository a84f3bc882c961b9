#pragma once

// What the tests of the genotype readers look at: the fields a reader gives, and the message of the
// data problem it throws.

#include "core/Errors.h"
#include "formats/GenotypeFormats.h"

#include <functional>
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

/// The message of the DataProblem that `body` throws, or "no data problem".
inline std::string dataProblemOf(const std::function<void()>& body)
{
    try {
        body();
    } catch (const DataProblem& problem) {
        return problem.what();
    }
    return "no data problem";
}

} // namespace tessaloc::testing
