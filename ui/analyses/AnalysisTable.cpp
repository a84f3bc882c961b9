#include "ui/shell/AnalysisTable.h"

#include "ui/analyses/aggregation/AggregationWindows.h"
#include "ui/analyses/autocorrelation/AutocorrelationWindows.h"
#include "ui/analyses/currentmap/CurrentMapWindows.h"
#include "ui/analyses/kinship/KinshipWindows.h"
#include "ui/analyses/landscape/LandscapeWindows.h"
#include "ui/analyses/mantel/MantelWindows.h"
#include "ui/analyses/matrixregression/MatrixRegressionWindows.h"
#include "ui/analyses/mlpe/MlpeWindows.h"
#include "ui/analyses/modelcomparison/ModelComparisonWindows.h"
#include "ui/analyses/monmonier/MonmonierWindows.h"
#include "ui/analyses/partialmantel/PartialMantelWindows.h"
#include "ui/analyses/sampleplot/SamplePlotWindows.h"

#include "analyses/AnalysisList.h"

#include <QFile>

namespace tessaloc::ui {

std::vector<std::pair<QString, std::shared_ptr<const ReportLineIndex>>>
indexRunReports(const std::filesystem::path& runFolder, RunListener& listener)
{
    auto indexes =
        indexReportFolder(QFile::decodeName(runFolder.string().c_str()), [&listener] { return listener.cancelled(); });
    listener.throwIfCancelled();
    return indexes;
}

const std::vector<AnalysisEntry>& analysisTable()
{
    static const std::vector<AnalysisEntry> table = [] {
        std::vector<AnalysisEntry> entries;
        forEachAnalysis([&entries]<typename Analysis>() {
            using Windows = AnalysisWindows<Analysis>;
            entries.push_back({Windows::listText(), Windows::optionsMenuItem(), &startAnalysis<Analysis>});
        });
        return entries;
    }();
    return table;
}

} // namespace tessaloc::ui
