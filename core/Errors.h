#pragma once

#include <cstddef>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace tessaloc {

/// The one message a front end shows for every run that fails with an analysis error.
inline constexpr std::string_view kGeneralErrorMessage =
    "Error in analysis:  Please ensure that data files have been correctly formatted and that "
    "information listed above points towards valid TSL files.";

/// An expected problem with the user's data. what() is the exact message the user sees; after it
/// the run ends quietly, without a report.
class DataProblem : public std::runtime_error {
public:
    /// `detail` says where the problem lies (file, line, observation); front ends may show it
    /// under the message. It may be empty.
    explicit DataProblem(const std::string& message, std::string detail = {})
        : std::runtime_error(message)
        , m_detail(std::move(detail))
    {
    }
    const std::string& detail() const { return m_detail; }

private:
    std::string m_detail;
};

/// Any other failure of a run: unreadable input, undefined arithmetic, a failed write. The user sees
/// kGeneralErrorMessage; what() is the underlying reason, shown beneath it.
class AnalysisError : public std::runtime_error {
public:
    explicit AnalysisError(const std::string& reason)
        : std::runtime_error(reason)
    {
    }
};

/// An analysis error whose reason is itself the message the user sees, in place of the general one
/// ("No start edge left for barrier 2: ..."). The run ends as any analysis error: no report.
class OwnMessageAnalysisError : public AnalysisError {
public:
    using AnalysisError::AnalysisError;
};

/// Thrown when the caller asked a run to stop. Not an error: no message, no report.
class RunCancelled : public std::exception {
public:
    const char* what() const noexcept override { return "the run was cancelled"; }
};

/// How a run ended, as the front ends tell it apart.
enum class RunOutcome { Success, DataProblem, AnalysisError, Cancelled };

/// The outcome of a run with the text that goes with it: the data problem's message, or the
/// underlying reason of an analysis error (empty on success and cancellation), and for a data
/// problem where it lies.
struct RunStatus {
    RunOutcome outcome = RunOutcome::Success;
    std::string text;
    std::string detail;
    /// For an analysis error: `text` is the message to show instead of the general message.
    bool ownMessage = false;
};

/// Runs `body` and turns whatever it throws into a RunStatus. Exceptions that are not Tessaloc's
/// own (allocation failures, library errors) count as analysis errors.
template <typename Body> RunStatus runGuarded(Body&& body)
{
    try {
        body();
        return {};
    } catch (const DataProblem& problem) {
        return {RunOutcome::DataProblem, problem.what(), problem.detail()};
    } catch (const OwnMessageAnalysisError& error) {
        return {RunOutcome::AnalysisError, error.what(), {}, true};
    } catch (const AnalysisError& error) {
        return {RunOutcome::AnalysisError, error.what(), {}};
    } catch (const RunCancelled&) {
        return {RunOutcome::Cancelled, {}, {}};
    } catch (const std::bad_alloc&) {
        return {RunOutcome::AnalysisError, "not enough memory for this data set", {}};
    } catch (const std::exception& other) {
        return {RunOutcome::AnalysisError, other.what(), {}};
    }
}

/// At most this many bytes of a field are shown when a message quotes it.
inline constexpr size_t kQuotedFieldLength = 60;

/// `text` with every control character written as \xHH, so that a message can show bytes from a
/// file or the command line without moving a terminal's cursor, changing its colours or being cut
/// short at a NUL: bytes 0 to 31 (NUL included) and 127, the C1 controls U+0080 to U+009F written in
/// UTF-8 (0xC2 0x80 to 0xC2 0x9F, both bytes escaped), and bytes 0x80 to 0x9F that are not part of a
/// well-formed UTF-8 character (the C1 controls of a Latin-1 text). Other bytes are kept, backslashes
/// too (they separate the alleles of a field), and so are the other characters of a UTF-8 text.
std::string escapeControlCharacters(std::string_view text);

/// A field of an input file or of the command line as every message quotes it: in double quotes,
/// control characters escaped, and only its first kQuotedFieldLength bytes followed by "..." when it
/// is longer, so that a field of megabytes still gives a message of one line.
std::string quotedField(std::string_view field);

/// The first `shown` of `fields`, each as quotedField gives it, joined by ", ", and ", ..." after
/// them when there are more: the names a message lists.
std::string quotedFieldList(const std::vector<std::string>& fields, size_t shown = 5);

/// Returns `value` when it is finite. Otherwise the computation was undefined (division by zero,
/// 0/0, square root or logarithm out of range, overflow) and the run ends with an AnalysisError
/// whose reason is `what` followed by the offending value.
double requireFinite(double value, std::string_view what);

} // namespace tessaloc
