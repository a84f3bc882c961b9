#include "core/ReportHeadings.h"

namespace tessaloc {

const char* DataTypeLine(DataType dataType)
{
    switch (dataType) {
    case DataType::Codominant:
        return "Data type = 1 (alleles from codominant loci)";
    case DataType::Genotypes:
        return "Data type = 2 (codominant genotypes or dominant markers)";
    case DataType::Sequences:
        return "Data type = 3 (DNA/Protein sequence data)";
    }
    return nullptr;
}

} // namespace tessaloc
