#pragma once
// The plot as a model, without a window: the shown recording and the runs compared with it,
// the data window and its zoom history, the display flags, unit and colours, and the
// summaries that make drawing and measuring fast. The plot window, the colour preview and
// `quillmark-cli plot` each build one and draw its scene().
//
//   PlotView view;
//   view.geometry().resize(1280, 800);
//   view.setRecording(std::make_shared<const Recording>(rec));  // false: invalid start time
//   view.resetView();
//   view.addRun(other);                                          // compared, by elapsed time
//   renderPlotImage(view.scene(model), screenFrame(1280, 800, view.geometry()));
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/analysis/measurement_text.h"
#include "core/analysis/range_analysis.h"
#include "core/data/recording.h"
#include "core/plot/column_reduction.h"
#include "core/plot/compared_runs.h"
#include "core/plot/plot_geometry.h"
#include "core/plot/plot_scene.h"

namespace quillmark {

// The logger name stored in a recording's header.
std::string recordingLoggerName(const Recording& rec);
// Legend text of a recording: logger name and start date and time.
std::string recordingLabel(const Recording& rec, std::optional<std::int64_t> start);

// One recording laid over the shown one.
struct ComparedRun {
    std::shared_ptr<const Recording> recording;
    std::optional<std::int64_t> startTime; // none when the header's time is invalid
    float interval = 1.0f;                 // effective interval
    SampleSummary summary;
    std::string loggerName;
    bool visible = true;
    // Built on first use (Fit Values, figures).
    mutable std::optional<RangeAnalysis> analysis;
    const RangeAnalysis& ranges() const {
        if (!analysis) {
            analysis.emplace(*recording);
        }
        return *analysis;
    }
};

// The figures of one visible compared run over the measured range, for the Measurements panel.
struct RunMeasurement {
    std::size_t run = 0;     // index into runs()
    RangeStatistics figures; // in the display unit; count 0 when no sample lies in the range
    // The run's sample nearest the pointer's time; nothing outside the run or without pointer.
    std::optional<std::int64_t> pointerSample;
};

class PlotView {
public:
    PlotView();

    // Hand-over: shows `rec` (shared, never changed) with the given start time. Clears the
    // zoom history and the selection; does not reset the view.
    void setRecording(std::shared_ptr<const Recording> rec, std::int64_t startTime);
    // The same with the start time built from the header; false, and nothing changes, when
    // it cannot be built. Null shows nothing.
    bool setRecording(std::shared_ptr<const Recording> rec);
    // Bare samples without a recording (no analysis); they must outlive their use here.
    void setSamples(const std::uint16_t* samples, std::int32_t count);
    void setStatistics(std::int32_t maxIndex, std::int32_t minIndex, double average);
    void setAlarmLevels(float low, float high);
    void setSampleInterval(float seconds);
    void setStartTime(std::int64_t t);
    const std::shared_ptr<const Recording>& recording() const { return recording_; }

    // Display state; DrawPlot reads it through scene().
    PlotScene& display() { return base_; }
    const PlotScene& display() const { return base_; }

    PlotGeometry& geometry() { return geometry_; }
    const PlotGeometry& geometry() const { return geometry_; }
    // Another view's data window, colours and display flags (the colour preview).
    void copyViewFrom(const PlotView& other);

    // What DrawPlot draws, for the given logger model code.
    PlotScene scene(std::int32_t model) const;

    // Navigation. Each user step that changes the window is one zoom-history step; they
    // return whether anything changed.
    void resetView();
    void viewAll();
    bool undoZoom();
    bool fitValues();
    // Fit Values' value window over shown samples first..last and every visible run's
    // samples aligned inside them, in the display unit; nothing without a valid sample.
    std::optional<ValueSpan> fittedValues(std::int64_t first, std::int64_t last) const;
    bool panTime(double windows);
    bool zoomTimeAboutCentre(double factor);
    bool wheelZoom(std::int32_t x, double factor);
    // Records `before` as a history step when the window changed since.
    void rememberWindow(const DataWindow& before);
    std::size_t historySize() const { return history_.size(); }

    // Measure mode's selection, kept in sample terms; false when it did not change.
    const std::optional<SampleSelection>& selection() const { return selection_; }
    bool setSelection(std::optional<SampleSelection> s);
    // The selection, or with none the samples of the visible window.
    std::optional<SampleSelection> measuredRange() const;
    // Built on first use after a hand-over; empty without a recording.
    const RangeAnalysis& analysis() const;
    std::vector<MeasurementLine> measurement(std::int32_t model) const;

    // Compared runs, at most kMaxComparedRuns, in palette order.
    enum class AddResult { Added, TooMany, NoSamples }; // NoSamples: no recording at all
    AddResult addRun(std::shared_ptr<const Recording> rec);
    void removeRun(std::size_t i);
    void clearRuns();
    void setRunVisible(std::size_t i, bool visible);
    const std::vector<std::unique_ptr<ComparedRun>>& runs() const { return runs_; }
    ColourRef runColour(std::size_t i) const { return comparedRunColour(i, base_.colours); }
    // By Clock places a run by its start time; runs without a valid one stay At Start.
    void setAlignment(RunAlignment a) { alignment_ = a; }
    RunAlignment alignment() const { return alignment_; }
    // Seconds from the shown sample 0 to run i's sample 0 under the current alignment.
    double runOffsetSeconds(std::size_t i) const;
    // Run i's sample j as a fractional shown sample index.
    double runSampleIndex(std::size_t i, std::int64_t j) const;
    // Run i's samples whose aligned time lies within shown samples first..last (times
    // compared exactly); nothing when none does.
    std::optional<SampleSelection> runSpan(std::size_t i, std::int64_t first,
                                           std::int64_t last) const;
    // Run i's sample nearest the time of fractional shown sample index `shownIndex`; nothing
    // when that time lies before its first or after its last sample.
    std::optional<std::int64_t> runSampleAt(std::size_t i, double shownIndex) const;
    // Each visible run's figures over its samples within measuredRange() (as runSpan places
    // them), with the sample at shown sample `pointer`'s time. Empty without a measured range.
    std::vector<RunMeasurement> runMeasurements(std::optional<std::int64_t> pointer) const;

private:
    void clearShownState();

    PlotGeometry geometry_;
    PlotScene base_; // flags, unit, colours, statistics and samples of the shown recording
    SampleSummary summary_;
    std::shared_ptr<const Recording> recording_;
    std::vector<DataWindow> history_;
    mutable std::optional<RangeAnalysis> analysis_;
    std::optional<SampleSelection> selection_;
    std::vector<std::unique_ptr<ComparedRun>> runs_;
    RunAlignment alignment_ = RunAlignment::AtStart;
};

} // namespace quillmark
