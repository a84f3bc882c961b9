#pragma once

#include "tests/support/LiteralDistances.h"

namespace tessaloc::reference {

/// A random codominant table of 300 observations at 3 loci without missing data, except that
/// observation 201 keeps only locus 1 and observation 251 lacks exactly that locus: (201, 251) is its
/// only pair without a common locus, deep in the table.
inline SampleTable tableWithoutCommonLociOnlyAt201And251()
{
    RandomTableRecipe recipe;
    recipe.samples = 300;
    recipe.loci = 3;
    recipe.missingRate = 0.0;
    SampleTable table = randomSampleTable(DataType::Codominant, recipe);
    table.genotypes[1].set(200, "0\\0");
    table.genotypes[2].set(200, "0\\0");
    table.genotypes[0].set(250, "0\\0");
    return table;
}

} // namespace tessaloc::reference
