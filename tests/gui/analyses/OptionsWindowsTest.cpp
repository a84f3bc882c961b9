// The options windows, the numeric reading of their boxes, help, about and splash.
#include "tests/gui/GuiTestSupport.h"

#include "ui/analyses/aggregation/AggregationOptionsDialog.h"
#include "ui/analyses/autocorrelation/AutocorrelationOptionsDialog.h"
#include "ui/analyses/landscape/LandscapeOptionsDialog.h"
#include "ui/analyses/mantel/MantelOptionsDialog.h"
#include "ui/analyses/monmonier/BarrierEditorDialog.h"
#include "ui/analyses/monmonier/MonmonierOptionsDialog.h"
#include "ui/analyses/pairedsample/PairedSampleOptionsDialog.h"
#include "ui/shell/AboutDialog.h"
#include "ui/shell/HelpWindow.h"
#include "ui/shell/PermutationSchemeDialog.h"
#include "ui/shell/ProgramState.h"
#include "ui/shell/RandomSeedDialog.h"
#include "ui/shell/SplashScreen.h"
#include "ui/widgets/NumericText.h"
#include "ui/widgets/ZoomDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTextBrowser>
#include <QtTest>

#include <limits>

using namespace tessaloc;
using namespace tessaloc::ui;
using tessaloc::ui::test::ScriptedDialogs;

namespace {

template <typename T> T* child(QWidget& window, const char* name)
{
    T* found = window.findChild<T*>(QLatin1String(name));
    if (!found)
        qFatal("no control %s", name);
    return found;
}

QLineEdit* box(QWidget& window, const char* name)
{
    return child<QLineEdit>(window, name);
}
QRadioButton* option(QWidget& window, const char* name)
{
    return child<QRadioButton>(window, name);
}
void press(QWidget& window, const char* name)
{
    child<QPushButton>(window, name)->click();
}

} // namespace

class OptionsWindowsTest : public QObject {
    Q_OBJECT

private slots:
    void numericValueReadsTheLeadingNumber()
    {
        QCOMPARE(numericValue(QStringLiteral(" 1000")), 1000.0);
        QCOMPARE(numericValue(QStringLiteral("12abc")), 12.0);
        QCOMPARE(numericValue(QStringLiteral("abc")), 0.0);
        QCOMPARE(numericValue(QString()), 0.0);
        QCOMPARE(numericValue(QStringLiteral("-2.5e2x")), -250.0);
        QCOMPARE(numericValue(QStringLiteral("2e")), 2.0);
        QCOMPARE(numericValue(QStringLiteral(".5")), 0.5);
        QCOMPARE(numericValue(QStringLiteral("-")), 0.0);
        // The point is the decimal point in every locale, and a comma ends the number.
        QCOMPARE(numericValue(QStringLiteral("150.7")), 150.7);
        QCOMPARE(numericValue(QStringLiteral("99,5")), 99.0);
        QCOMPARE(numericValue(QStringLiteral("1e400")), std::numeric_limits<double>::max());
        QCOMPARE(numericValue(QStringLiteral("-1e400")), std::numeric_limits<double>::lowest());
        QCOMPARE(numericValue(QStringLiteral("1e-400")), 0.0);
        QCOMPARE(numericValue(QStringLiteral("0.001e-330")), 0.0);
        QCOMPARE(numericValue(QStringLiteral("123456e305")), std::numeric_limits<double>::max());
        QCOMPARE(roundHalfEven32(99.5), 100);
        QCOMPARE(roundHalfEven32(98.5), 98);
        QCOMPARE(roundHalfEven32(-0.5), 0);
        QCOMPARE(roundHalfEven32(1e300), 2147483647);
        QCOMPARE(floor32(2.9), 2);
        QCOMPARE(floor32(-0.5), -1);
    }

    void mantelOptionsKeepTheCountWhenOkIsPressedWithoutTyping()
    {
        ProgramState state;
        MantelOptionsDialog window(state);
        QCOMPARE(window.windowTitle(), QStringLiteral("Mantel Test Options"));
        QCOMPARE(box(window, "Text1")->text(), QStringLiteral(" 1000"));
        QVERIFY(!child<QCheckBox>(window, "Check1")->isChecked());
        press(window, "OKButton");
        QCOMPARE(window.result(), int(QDialog::Accepted));
        QCOMPARE(state.settings.mantel.permutations.count, 1000);
    }

    void mantelOptionsRoundHalvesToEven_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("stored");
        QTest::newRow("99.5") << QStringLiteral("99.5") << 100;
        QTest::newRow("98.5") << QStringLiteral("98.5") << 98;
        QTest::newRow("text") << QStringLiteral("many") << 0;
        QTest::newRow("leading number") << QStringLiteral("250 reps") << 250;
        QTest::newRow("huge") << QStringLiteral("99999999999") << 2147483647;
    }

    void mantelOptionsRoundHalvesToEven()
    {
        QFETCH(QString, text);
        QFETCH(int, stored);
        ProgramState state;
        MantelOptionsDialog window(state);
        box(window, "Text1")->setText(text);
        child<QCheckBox>(window, "Check1")->setChecked(true);
        press(window, "OKButton");
        QCOMPARE(state.settings.mantel.permutations.count, stored);
        QVERIFY(state.settings.mantel.logGeographic);
        QVERIFY(!state.settings.mantel.logGenetic);

        MantelOptionsDialog again(state);
        QVERIFY(child<QCheckBox>(again, "Check1")->isChecked());
    }

    void mantelOptionsLeaveThePairTableOutWhenItsBoxIsCleared()
    {
        ProgramState state;
        MantelOptionsDialog window(state);
        QCheckBox* pairs = child<QCheckBox>(window, "Check3");
        QVERIFY(pairs->isChecked());
        pairs->setChecked(false);
        press(window, "OKButton");
        QVERIFY(!state.settings.mantel.pairTable);

        MantelOptionsDialog again(state);
        QVERIFY(!child<QCheckBox>(again, "Check3")->isChecked());
        child<QCheckBox>(again, "Check3")->setChecked(true);
        press(again, "OKButton");
        QVERIFY(state.settings.mantel.pairTable);
    }

    void mantelOptionsTakeRanksWhenTheirBoxIsTicked()
    {
        ProgramState state;
        MantelOptionsDialog window(state);
        QCheckBox* rank = child<QCheckBox>(window, "rankCheck");
        QVERIFY(!rank->isChecked());
        rank->setChecked(true);
        press(window, "OKButton");
        QVERIFY(state.settings.mantel.rank);

        MantelOptionsDialog again(state);
        QVERIFY(child<QCheckBox>(again, "rankCheck")->isChecked());
    }

    void closingAnOptionsWindowWithoutOkStoresNothing()
    {
        ProgramState state;
        MantelOptionsDialog window(state);
        box(window, "Text1")->setText(QStringLiteral("5"));
        child<QCheckBox>(window, "Check2")->setChecked(true);
        window.reject();
        QCOMPARE(state.settings.mantel.permutations.count, 1000);
        QVERIFY(!state.settings.mantel.logGenetic);
    }

    void spatialAutocorrelationOptions()
    {
        ProgramState state;
        AutocorrelationOptionsDialog window(state);
        QCOMPARE(window.windowTitle(), QStringLiteral("Spatial Autocorrelation Options"));
        QCOMPARE(box(window, "Text1")->text(), QStringLiteral("10"));
        QCOMPARE(box(window, "Text2")->text(), QStringLiteral("1000"));
        QCOMPARE(box(window, "Text3")->text(), QStringLiteral("200"));
        QCOMPARE(child<QLabel>(window, "Label3")->text(), QStringLiteral("Bootstrap resamples (0: none)"));
        QVERIFY(option(window, "Option1")->isChecked());
        box(window, "Text1")->setText(QStringLiteral("12.5"));
        box(window, "Text2")->setText(QStringLiteral("99.5"));
        box(window, "Text3")->setText(QStringLiteral("0"));
        option(window, "Option2")->setChecked(true);
        press(window, "Command1");
        QCOMPARE(state.settings.autocorrelation.classCount, 12);
        QCOMPARE(state.settings.autocorrelation.permutations.count, 100);
        QCOMPARE(state.settings.autocorrelation.classMode, ClassMode::EqualCounts);
        QCOMPARE(state.settings.autocorrelation.bootstrapResamples, 0LL);
        AutocorrelationOptionsDialog again(state);
        QVERIFY(option(again, "Option2")->isChecked());
        QCOMPARE(box(again, "Text1")->text(), QStringLiteral("12"));
        QCOMPARE(box(again, "Text3")->text(), QStringLiteral("0"));
    }

    void randomSeedIsFixedForTheWholeProgramOrTakenFromTheClock()
    {
        ScriptedDialogs dialogs;
        ProgramState state;
        state.lastRunSeed = std::make_pair(61234, 98765);
        RandomSeedDialog window(state);
        QCOMPARE(window.windowTitle(), QStringLiteral("Random Seed"));
        QCOMPARE(window.objectName(), QStringLiteral("RandomSeedForm"));
        QVERIFY(option(window, "Option1")->isChecked());
        // The boxes offer the last run's seed.
        QCOMPARE(box(window, "Text1")->text(), QStringLiteral("61234"));
        QCOMPARE(box(window, "Text2")->text(), QStringLiteral("98765"));
        option(window, "Option2")->click();
        press(window, "Command1");
        QCOMPARE(window.result(), int(QDialog::Accepted));
        QVERIFY(state.fixedSeed.has_value());
        QCOMPARE(state.fixedSeed->first, std::int64_t{61234});
        QCOMPARE(state.fixedSeed->second, std::int64_t{98765});

        // Out of range, or not a whole number: refused with a message, the window stays open.
        for (const auto& [first, second] : {std::pair{"0", "5"}, std::pair{"2147483563", "5"},
                                            std::pair{"5", "2147483399"}, std::pair{"1.5", "5"}, std::pair{"", "5"}}) {
            RandomSeedDialog wrong(state);
            wrong.show();
            box(wrong, "Text1")->setText(QString::fromLatin1(first));
            box(wrong, "Text2")->setText(QString::fromLatin1(second));
            press(wrong, "Command1");
            QVERIFY2(wrong.isVisible(), first);
            QCOMPARE(dialogs.messages.constLast(),
                     QStringLiteral("The seed takes S1, a whole number from 1 to 2147483562, and S2 from 1 to "
                                    "2147483398."));
        }
        QCOMPARE(state.fixedSeed->first, std::int64_t{61234});

        RandomSeedDialog clock(state);
        QVERIFY(option(clock, "Option2")->isChecked());
        option(clock, "Option1")->click();
        press(clock, "Command1");
        QVERIFY(!state.fixedSeed.has_value());
    }

    void pairedSampleOptions()
    {
        ProgramState state;
        PairedSampleOptionsDialog window(state);
        QCOMPARE(window.windowTitle(), QStringLiteral("Paired-Sample Genetic Distance Analysis"));
        QCOMPARE(box(window, "Text1")->text(), QStringLiteral(" 1000"));
        box(window, "Text1")->setText(QStringLiteral("98.5"));
        press(window, "Command1");
        QCOMPARE(state.settings.psgdaPermutationCount, 98);
    }

    void permutationSchemeIsChosenForTheWholeProgram()
    {
        ProgramState state;
        PermutationSchemeDialog window(state);
        window.show();
        QCOMPARE(window.windowTitle(), QStringLiteral("Permutation Scheme"));
        QCOMPARE(window.objectName(), QStringLiteral("PermutationSchemeForm"));
        QVERIFY(option(window, "Option1")->isChecked());
        QCOMPARE(option(window, "Option2")->text(), QStringLiteral("Independent uniform shuffles"));
        QCOMPARE(option(window, "Option3")->text(), QStringLiteral("Complete enumeration (exact test)"));
        // Each choice has its line; the default's names the parity restriction.
        QVERIFY(child<QLabel>(window, "Label1")->text().contains(QStringLiteral("even half")));
        QVERIFY(child<QLabel>(window, "Label3")->text().contains(QStringLiteral("at most 9 observations")));

        option(window, "Option3")->click();
        QVERIFY(!option(window, "Option1")->isChecked());
        press(window, "Command1");
        QCOMPARE(window.result(), int(QDialog::Accepted));
        QCOMPARE(state.settings.permutationScheme, PermutationScheme::Complete);

        PermutationSchemeDialog again(state);
        QVERIFY(option(again, "Option3")->isChecked());
        option(again, "Option2")->click();
        press(again, "Command1");
        QCOMPARE(state.settings.permutationScheme, PermutationScheme::Uniform);

        // Closed any other way, it stores nothing.
        PermutationSchemeDialog closed(state);
        option(closed, "Option1")->click();
        closed.reject();
        QCOMPARE(state.settings.permutationScheme, PermutationScheme::Uniform);
    }

    void permutationSchemeHelpOpensThePermutationTestsPage()
    {
        ProgramState state;
        PermutationSchemeDialog window(state);
        window.show();
        press(window, "Command2");
        auto* help = window.findChild<HelpWindow*>();
        QVERIFY(help);
        QCOMPARE(help->browser()->source().toString(), QStringLiteral("qrc:/help/permutations.html"));
        // The welcome page leads there too.
        help->showTopic(QStringLiteral("Welcome"));
        QVERIFY(help->browser()->toHtml().contains(QStringLiteral("permutations.html")));
    }

    void aaiaEmpiricalAreaMustBeGiven()
    {
        ScriptedDialogs dialogs;
        ProgramState state;
        AggregationOptionsDialog window(state);
        window.show();
        QCOMPARE(window.windowTitle(), QStringLiteral("AAIA Options"));
        QCOMPARE(box(window, "Text1")->text(), QStringLiteral("1000"));
        QVERIFY(option(window, "Option1")->isChecked());
        QVERIFY(!box(window, "Text2")->isEnabled());
        option(window, "Option2")->click();
        QVERIFY(box(window, "Text2")->isEnabled());
        box(window, "Text1")->setText(QStringLiteral("500"));
        press(window, "Command1");
        QCOMPARE(dialogs.messages, QStringList{QStringLiteral("Please provide your empirical area estimate.")});
        QVERIFY(window.isVisible());
        // What was read is stored already.
        QCOMPARE(state.settings.aggregation.permutations.count, 500);
        QCOMPARE(state.settings.aggregation.areaMode, AreaMode::Empirical);
        QCOMPARE(state.settings.aggregation.empiricalArea, 0.0);

        box(window, "Text2")->setText(QStringLiteral("0"));
        press(window, "Command1");
        QCOMPARE(dialogs.messages.size(), 2);
        box(window, "Text2")->setText(QStringLiteral("-12.5"));
        press(window, "Command1");
        QCOMPARE(dialogs.messages.size(), 2);
        QCOMPARE(window.result(), int(QDialog::Accepted));
        QCOMPARE(state.settings.aggregation.empiricalArea, -12.5);

        AggregationOptionsDialog again(state);
        QVERIFY(option(again, "Option2")->isChecked());
        QVERIFY(box(again, "Text2")->isEnabled());
        QCOMPARE(box(again, "Text2")->text(), QStringLiteral("-12.5"));
        option(again, "Option1")->click();
        QVERIFY(!box(again, "Text2")->isEnabled());
        press(again, "Command1");
        QCOMPARE(state.settings.aggregation.areaMode, AreaMode::EstimatedRectangular);
    }

    void landscapeLogBoxIsEnabledOnlyWithPseudoslopes()
    {
        ProgramState state;
        LandscapeOptionsDialog window(state);
        QCOMPARE(window.windowTitle(), QStringLiteral("Options for Interpolation of Landscape Shape"));
        QVERIFY(option(window, "Option1")->isChecked());
        QVERIFY(option(window, "Option5")->isChecked());
        QCheckBox* log = child<QCheckBox>(window, "Check2");
        QVERIFY(!log->isChecked());
        QVERIFY(!log->isEnabled());
        option(window, "Option4")->click();
        QVERIFY(log->isEnabled());
        log->setChecked(true);
        option(window, "Option3")->click();
        QVERIFY(!log->isEnabled());
        QVERIFY(log->isChecked());
        option(window, "Option5")->click();
        press(window, "Command1");
        QVERIFY(!state.settings.landscape.logHeights);
        QCOMPARE(state.settings.landscape.heightMode, LandscapeHeightMode::Residual);

        LandscapeOptionsDialog second(state);
        option(second, "Option2")->click();
        option(second, "Option4")->click();
        child<QCheckBox>(second, "Check2")->setChecked(true);
        press(second, "Command1");
        QCOMPARE(state.settings.landscape.network, LandscapeNetwork::Pairwise);
        QCOMPARE(state.settings.landscape.heightMode, LandscapeHeightMode::Pseudoslope);
        QVERIFY(state.settings.landscape.logHeights);

        LandscapeOptionsDialog third(state);
        QVERIFY(option(third, "Option2")->isChecked());
        QVERIFY(option(third, "Option4")->isChecked());
        QVERIFY(child<QCheckBox>(third, "Check2")->isEnabled());
        QVERIFY(child<QCheckBox>(third, "Check2")->isChecked());
    }

    void monmonierBarrierCountMustBeNonZero_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("0") << QStringLiteral("0");
        QTest::newRow("0.5") << QStringLiteral("0.5");
        QTest::newRow("letters") << QStringLiteral("two");
        QTest::newRow("empty") << QString();
    }

    void monmonierBarrierCountMustBeNonZero()
    {
        QFETCH(QString, text);
        ScriptedDialogs dialogs;
        ProgramState state;
        MonmonierOptionsDialog window(state);
        window.show();
        QCOMPARE(window.windowTitle(), QStringLiteral("Monmonier Algorithm Options"));
        QVERIFY(option(window, "OptionResiduals")->isChecked());
        QCOMPARE(box(window, "BarrierCount")->text(), QStringLiteral("1"));
        option(window, "OptionRaw")->click();
        box(window, "BarrierCount")->setText(text);
        press(window, "OKButton");
        QCOMPARE(dialogs.messages, QStringList{QStringLiteral("Number of barriers must be a non-zero integer.")});
        QVERIFY(window.isVisible());
        QCOMPARE(state.settings.monmonier.distanceKind, MonmonierDistanceKind::Raw);
        QCOMPARE(state.settings.monmonier.barrierCount, 1);
    }

    void monmonierBarrierCountIsRoundedDown()
    {
        ScriptedDialogs dialogs;
        ProgramState state;
        MonmonierOptionsDialog window(state);
        option(window, "OptionPseudoslopes")->click();
        box(window, "BarrierCount")->setText(QStringLiteral("2.9"));
        press(window, "OKButton");
        QVERIFY(dialogs.messages.isEmpty());
        QCOMPARE(state.settings.monmonier.barrierCount, 2);
        QCOMPARE(state.settings.monmonier.distanceKind, MonmonierDistanceKind::Pseudoslope);
        box(window, "BarrierCount")->setText(QStringLiteral("-3"));
        press(window, "OKButton");
        QCOMPARE(state.settings.monmonier.barrierCount, -3);
    }

    void monmonierBootstrapReplicatesAreAWholeNumberInRange_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<long long>("stored"); // -1: refused
        QTest::newRow("none") << QStringLiteral("0") << 0LL;
        QTest::newRow("1000") << QStringLiteral("1000") << 1000LL;
        QTest::newRow("largest") << QStringLiteral("100000") << 100000LL;
        QTest::newRow("beyond") << QStringLiteral("100001") << -1LL;
        QTest::newRow("negative") << QStringLiteral("-5") << -1LL;
        QTest::newRow("fraction") << QStringLiteral("2.5") << -1LL;
        QTest::newRow("letters") << QStringLiteral("many") << -1LL;
        QTest::newRow("empty") << QString() << -1LL;
    }

    void monmonierBootstrapReplicatesAreAWholeNumberInRange()
    {
        QFETCH(QString, text);
        QFETCH(long long, stored);
        ScriptedDialogs dialogs;
        ProgramState state;
        MonmonierOptionsDialog window(state);
        window.show();
        QCOMPARE(box(window, "BootstrapReplicates")->text(), QStringLiteral("0"));
        box(window, "BarrierCount")->setText(QStringLiteral("3"));
        box(window, "BootstrapReplicates")->setText(text);
        press(window, "OKButton");
        if (stored < 0) {
            QCOMPARE(dialogs.messages,
                     QStringList{QStringLiteral("Bootstrap replicates must be a whole number from 0 to 100000.")});
            QVERIFY(window.isVisible());
            // Nothing of the refused entry is kept, nor the count beside it.
            QCOMPARE(state.settings.monmonier.bootstrapReplicates, 0);
            QCOMPARE(state.settings.monmonier.barrierCount, 1);
        } else {
            QVERIFY(dialogs.messages.isEmpty());
            QCOMPARE(state.settings.monmonier.bootstrapReplicates, stored);
            QCOMPARE(state.settings.monmonier.barrierCount, 3);
            MonmonierOptionsDialog again(state);
            QCOMPARE(box(again, "BootstrapReplicates")->text(), QString::number(stored));
        }
    }

    void barrierEditorStoresOnOkOnly()
    {
        ScriptedDialogs dialogs;
        ProgramState state;
        BarrierStyle style{QColor(0, 0, 128), 2, true};
        int redraws = 0;
        {
            BarrierEditorDialog window(state, 3, style, [&redraws] { ++redraws; });
            QCOMPARE(window.windowTitle(), QStringLiteral("Edit Barrier3"));
            auto* thickness = child<QComboBox>(window, "LineThickness");
            QCOMPARE(thickness->count(), 5);
            QCOMPARE(thickness->currentText(), QStringLiteral("2"));
            QVERIFY(child<QCheckBox>(window, "Visible")->isChecked());
            thickness->setCurrentIndex(4);
            child<QCheckBox>(window, "Visible")->setChecked(false);
            dialogs.colorAnswer = QColor(Qt::red);
            press(window, "SelectColor");
            window.reject();
        }
        QCOMPARE(style.lineWidth, 2);
        QVERIFY(style.visible);
        QCOMPARE(style.color, QColor(0, 0, 128));
        QCOMPARE(redraws, 0);

        BarrierEditorDialog window(state, 1, style, [&redraws] { ++redraws; });
        child<QComboBox>(window, "LineThickness")->setCurrentIndex(4);
        dialogs.colorAnswer.reset(); // a cancelled colour dialog keeps the colour
        press(window, "SelectColor");
        press(window, "OKButton");
        QCOMPARE(style.lineWidth, 5);
        QCOMPARE(style.color, QColor(0, 0, 128));
        QCOMPARE(redraws, 1);

        BarrierEditorDialog recolour(state, 1, style, {});
        dialogs.colorAnswer = QColor(Qt::darkGreen);
        press(recolour, "SelectColor");
        QCOMPARE(recolour.currentColor(), QColor(Qt::darkGreen));
        recolour.show();
        press(recolour, "HelpButton");
        QCOMPARE(recolour.findChild<HelpWindow*>()->browser()->source().toString(),
                 QStringLiteral("qrc:/help/barrier-editor.html"));
        press(recolour, "OKButton");
        QCOMPARE(style.color, QColor(Qt::darkGreen));
    }

    void zoomTakesTheWholeNumberBelow()
    {
        ZoomDialog window;
        QCOMPARE(window.windowTitle(), QStringLiteral("Specify Zoom Value"));
        QCOMPARE(box(window, "Text1")->text(), QStringLiteral("100"));
        box(window, "Text1")->setText(QStringLiteral("150.7"));
        press(window, "Command1");
        QCOMPARE(window.zoomValue(), 150);
    }

    void everyHelpKeywordHasItsPage_data()
    {
        QTest::addColumn<QString>("keyword");
        for (const char* keyword :
             {"Welcome", "Mantel Test", "Spatial Autocorrelation Analysis", "Paired-Sample Genetic Distance Analysis",
              "Allelic Aggregation Index Analysis", "Landscape Shape Interpolation",
              "Genetic Landscape Interpolation Editor/Viewer", "Plots of Sample Locations",
              "Monmonier Maximum Difference Algorithm", "Monmonier's Maximum Difference Algorithm",
              "Permutation Scheme", "Random Seed", "Geographic Distances", "Partial Mantel Test",
              "Mixed-Model Regression (MLPE)", "Compare Hypotheses"})
            QTest::newRow(keyword) << QString::fromLatin1(keyword);
    }

    void everyHelpKeywordHasItsPage()
    {
        QFETCH(QString, keyword);
        const QString page = helpPageForKeyword(keyword);
        QVERIFY(page.startsWith(QStringLiteral("qrc:/help/")));
        if (keyword != QStringLiteral("Welcome"))
            QVERIFY(!page.endsWith(QStringLiteral("welcome.html")));
        QFile file(page.mid(3)); // ":/help/..."
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY(file.readAll().contains("<h1>"));
    }

    void optionsHelpButtonsOpenTheirTopics()
    {
        ProgramState state;
        AggregationOptionsDialog window(state);
        window.show();
        press(window, "Command2");
        auto* help = window.findChild<HelpWindow*>();
        QVERIFY(help);
        QCOMPARE(help->browser()->source().toString(), QStringLiteral("qrc:/help/aggregation.html"));
    }

    void aboutWindowShowsVersionAndCitation()
    {
        AboutDialog window;
        QCOMPARE(window.windowTitle(), QStringLiteral("About Tessaloc"));
        QCOMPARE(child<QLabel>(window, "Label1")->text(), QStringLiteral("Version 1.0"));
        QCOMPARE(child<QLabel>(window, "lblDisclaimer")->text(), QStringLiteral("Please Cite as"));
        QCOMPARE(child<QLabel>(window, "Label3")->text(), citationText());
        QVERIFY(!child<QLabel>(window, "Image1")->pixmap().isNull());
        window.show();
        press(window, "cmdOK");
        QVERIFY(!window.isVisible());
    }

    void splashClosesOnAKeyOrAClickOrAfterItsTime()
    {
        SplashScreen byKey(nullptr, 60000);
        byKey.show();
        QCOMPARE(child<QLabel>(byKey, "lblVersion")->text(), QStringLiteral("Version 1.0"));
        QTest::keyClick(&byKey, Qt::Key_Space);
        QVERIFY(!byKey.isVisible());

        SplashScreen byClick(nullptr, 60000);
        byClick.show();
        QTest::mouseClick(child<QLabel>(byClick, "Image1"), Qt::LeftButton);
        QVERIFY(!byClick.isVisible());

        SplashScreen byTime(nullptr, 50);
        byTime.show();
        QTRY_VERIFY_WITH_TIMEOUT(!byTime.isVisible(), 5000);
        QCOMPARE(child<QTimer>(byTime, "Timer1")->interval(), 50);
        SplashScreen standard;
        QCOMPARE(child<QTimer>(standard, "Timer1")->interval(), 5000);
    }

    void splashOpensCentredOverTheMainWindow()
    {
        QWidget mainWindow;
        mainWindow.setGeometry(330, 260, 140, 80);
        mainWindow.show();
        SplashScreen splash(&mainWindow, 60000);
        splash.show();
        const QPoint offset = splash.frameGeometry().center() - mainWindow.frameGeometry().center();
        QVERIFY2(offset.manhattanLength() <= 2,
                 qPrintable(QStringLiteral("%1, %2 off the centre").arg(offset.x()).arg(offset.y())));
    }
};

TESSALOC_GUI_TEST_MAIN(OptionsWindowsTest)
#include "OptionsWindowsTest.moc"
