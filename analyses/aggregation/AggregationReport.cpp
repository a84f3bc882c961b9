#include "analyses/aggregation/Aggregation.h"

#include "core/NumberText.h"
#include "core/ReportHeadings.h"
#include "core/ReportWriter.h"

namespace tessaloc {
namespace {

std::string nineDecimals(double value)
{
    return formatMask(value, NumberMask::ZeroPoint9);
}

std::string fiveDecimals(double value)
{
    return formatMask(value, NumberMask::ZeroPoint5);
}

void writeTableHead(ReportWriter& report, DataType type)
{
    const bool sequences = type == DataType::Sequences;
    if (sequences)
        report.line("A complete listing of sequences and sequence codes is provided below the analysis summary.");
    else
        report.column(10).text("Allele/").endLine();
    report.text("Locus").column(10).text(sequences ? "Seq Code" : "Genotype").column(21).text("n");
    report.column(30).text("Ave NN dist").nextZone().text("Rj").nextZone().text("P (Rj>=RND)").nextZone();
    report.text("P (Rj<=RND)").endLine();
}

void writeSequenceListing(ReportWriter& report, const AggregationResult& result)
{
    report.line();
    report.line("Information on unique haplotypes and haplotype codes in data set.");
    report.line("Warning:  Sequence information may wrapped over multiple lines!");
    report.line();
    report.text("Seq Code").nextZone().text("Sequence").endLine();
    for (const SequenceEntry& entry : result.sequences) {
        report.text(entry.code).nextZone().text(entry.sequence).endLine();
        report.text("Names of observations with this sequence:");
        for (const std::string& name : entry.names)
            report.nextZone().text(name);
        report.endLine();
        report.line();
    }
}

} // namespace

std::string AggregationReport(const AggregationResult& result)
{
    ReportWriter report;
    WriteAggregationReport(report, result);
    return report.str();
}

void WriteAggregationReport(ReportWriter& report, const AggregationResult& result)
{
    WriteReportHeading(report, "AAIA results", result.coordinatePath, result.genotypePath, result.dataType);
    report.line();
    report.line("Spatial aggregation of sampled points: R = " + nineDecimals(result.r));
    report.line();
    report.line("Results of global analysis over alleles and loci:  Rave = " + nineDecimals(result.rave) +
                ", P (Rave<=RND) = " + nineDecimals(result.pRave));
    // The report names no count of replicates; a scheme other than the default is named under the
    // first probability.
    WritePermutationSchemeLine(report, result.permutationScheme);
    report.line();
    report.line("Allele/genotype specific test results");
    report.line();
    writeTableHead(report, result.dataType);

    for (size_t locus = 0; locus < result.loci.size(); ++locus) {
        const LocusResult& categories = result.loci[locus];
        for (const CategoryResult& category : categories.categories) {
            report.number(static_cast<long long>(locus + 1)).column(10).text(category.label);
            report.column(21).number(category.bearerCount).column(30);
            if (categories.invariant()) {
                report.text("Invariant Locus: no analysis performed");
            } else if (!category.computed()) {
                report.text("Single instance of allele/genotype: no analysis performed");
            } else {
                report.text(fiveDecimals(category.meanNearestDistance)).nextZone().text(fiveDecimals(category.rj));
                report.nextZone().text(fiveDecimals(category.pUpper)).nextZone().text(fiveDecimals(category.pLower));
            }
            report.endLine();
        }
        report.line();
    }

    if (result.dataType == DataType::Sequences)
        writeSequenceListing(report, result);
}

} // namespace tessaloc
