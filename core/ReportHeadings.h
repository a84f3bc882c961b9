#pragma once

#include "core/SampleTable.h"

namespace tessaloc {

/// The report line that names the data type, written under the two file names by the reports:
/// "Data type = 1 (alleles from codominant loci)", "Data type = 2 (codominant genotypes or dominant
/// markers)" or "Data type = 3 (DNA/Protein sequence data)". Any other value gives nullptr: the
/// reports then write no line at all.
const char* DataTypeLine(DataType dataType);

} // namespace tessaloc
