#pragma once

#include "analyses/monmonier/Monmonier.h"
#include "core/ReportWriter.h"

#include <filesystem>
#include <string>

namespace tessaloc {

/// The head line of the support table of `barrierCount` barriers:
/// "name1,x1,y1,name2,x2,y2,mid_x,mid_y,observed,support_any,support_1,...,support_B".
std::string SupportTableHeader(long long barrierCount);

/// Writes the bootstrap support of `result` as a table: the head line, then one line per edge crossed
/// by an observed barrier or in a replicate, in the order of the edges' first appearance in the
/// triangulation (triangle by triangle). Each line holds the names and coordinates of the edge's two
/// ends (as its first triangle runs it), its midpoint, the number of the first observed barrier that
/// crosses it (0 when none does), and the percentages of replicates in which any barrier, barrier 1,
/// ..., barrier B crosses it. A name is that of the observations sampled at the end, joined by ";"
/// when several share it. Numbers are in the shortest form that reads back to the same double, "." the
/// decimal point whatever the locale. When some replicates crossed nothing (no start edge, or no
/// genetic distances), a last line starting "#" says how many. Lines end CR LF.
/// Precondition: the result holds support (result.support.computed()).
void WriteSupportTable(ReportWriter& out, const MonmonierResult& result);
/// The same text as a string.
std::string SupportTable(const MonmonierResult& result);

/// Writes the table to `path`, replacing the file only when the whole table was written. Throws
/// AnalysisError naming the file when it cannot be written.
void WriteSupportTableFile(const std::filesystem::path& path, const MonmonierResult& result);

} // namespace tessaloc
