#include "core/plot/plot_view.h"

#include <algorithm>
#include <cmath>
#include <ctime>

#include "core/common/header_layout.h"
#include "core/common/model_units.h"

namespace quillmark {

std::string recordingLoggerName(const Recording& rec) {
    // The header keeps the low byte of each UTF-16 unit: Latin-1, written out as UTF-8.
    std::string name;
    for (std::size_t i = 0;
         i < block::kLoggerNameSize && block::kLoggerName + i < rec.header.size(); ++i) {
        const auto c = static_cast<unsigned char>(rec.header[block::kLoggerName + i]);
        if (c == 0) {
            break;
        }
        if (c < 0x80) {
            name += static_cast<char>(c);
        } else {
            name += static_cast<char>(0xC0 | (c >> 6));
            name += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return name;
}

std::string recordingLabel(const Recording& rec, std::optional<std::int64_t> start) {
    std::string label = recordingLoggerName(rec);
    if (start) {
        label += (label.empty() ? "" : "  ") + formatLocalTime(*start);
    }
    return label;
}

PlotView::PlotView() {
    base_.startTime = static_cast<std::int64_t>(std::time(nullptr));
}

void PlotView::clearShownState() {
    history_.clear(); // windows of an earlier recording mean nothing now
    recording_.reset();
    analysis_.reset(); // it may refer to the samples being replaced
    selection_.reset();
}

void PlotView::setSamples(const std::uint16_t* samples, std::int32_t count) {
    base_.samples = samples;
    base_.sampleCount = samples ? std::max(count, 0) : 0;
    summary_.build(base_.samples, base_.sampleCount);
    clearShownState();
}

void PlotView::setRecording(std::shared_ptr<const Recording> rec, std::int64_t startTime) {
    if (!rec) {
        setSamples(nullptr, 0);
        setStatistics(-1, -1, 0.0);
        return;
    }
    const auto count =
        static_cast<std::int32_t>(std::min<std::int64_t>(presentSampleCount(*rec), INT32_MAX));
    setSamples(rec->samples.empty() ? nullptr : rec->samples.data(), count);
    setStatistics(rec->maxIndex, rec->minIndex, rec->average);
    setAlarmLevels(rec->alarmLow(), rec->alarmHigh());
    setSampleInterval(rec->effectiveInterval());
    setStartTime(startTime);
    recording_ = std::move(rec);
}

bool PlotView::setRecording(std::shared_ptr<const Recording> rec) {
    if (!rec) {
        setRecording(nullptr, 0);
        return true;
    }
    const std::optional<std::int64_t> start = startTime(*rec);
    if (!start) {
        return false;
    }
    setRecording(std::move(rec), *start);
    return true;
}

void PlotView::setStatistics(std::int32_t maxIndex, std::int32_t minIndex, double average) {
    base_.maxIndex = maxIndex;
    base_.minIndex = minIndex;
    base_.average = average;
}

void PlotView::setAlarmLevels(float low, float high) {
    base_.alarmLow = low;
    base_.alarmHigh = high;
}

void PlotView::setSampleInterval(float seconds) {
    base_.sampleInterval = seconds;
}

void PlotView::setStartTime(std::int64_t t) {
    base_.startTime = t;
}

void PlotView::copyViewFrom(const PlotView& other) {
    const PlotGeometry& g = other.geometry_;
    geometry_.xScale = g.xScale;
    geometry_.yScale = g.yScale;
    geometry_.xMax = g.xMax;
    geometry_.yMax = g.yMax;
    geometry_.xMin = g.xMin;
    geometry_.yMin = g.yMin;
    geometry_.plotWidth = g.plotWidth;
    geometry_.plotHeight = g.plotHeight;
    geometry_.leftMargin = g.leftMargin;
    geometry_.xOffset = g.xOffset;
    geometry_.yOffset = g.yOffset;
    base_.colours = other.base_.colours;
    base_.showGridX = other.base_.showGridX;
    base_.showGridY = other.base_.showGridY;
    base_.showMaskPoints = other.base_.showMaskPoints;
    base_.showAlarmLines = other.base_.showAlarmLines;
}

PlotScene PlotView::scene(std::int32_t model) const {
    PlotScene s = base_;
    s.xOffset = geometry_.xOffset;
    s.xMin = geometry_.xMin;
    s.yOffset = geometry_.yOffset;
    s.yMin = geometry_.yMin;
    s.summary = &summary_;
    s.model = model;
    s.compared.clear();
    for (std::size_t i = 0; i < runs_.size(); ++i) {
        const ComparedRun& r = *runs_[i];
        if (!r.visible) {
            continue;
        }
        s.compared.push_back({&r.summary, static_cast<double>(r.interval), runOffsetSeconds(i),
                              runColour(i), recordingLabel(*r.recording, r.startTime)});
    }
    if (!s.compared.empty()) {
        s.shownLabel = recording_ ? recordingLabel(*recording_, base_.startTime)
                                  : formatLocalTime(base_.startTime);
    }
    return s;
}

void PlotView::resetView() {
    geometry_.resetView(base_.sampleCount);
}

void PlotView::viewAll() {
    const DataWindow before = geometry_.window();
    resetView();
    rememberWindow(before);
}

void PlotView::rememberWindow(const DataWindow& before) {
    if (before == geometry_.window() || !(before.xSpan > 0.0) || !(before.ySpan > 0.0)) {
        return;
    }
    constexpr std::size_t kMaxHistory = 64;
    if (history_.size() == kMaxHistory) {
        history_.erase(history_.begin());
    }
    history_.push_back(before);
}

bool PlotView::undoZoom() {
    if (history_.empty()) {
        return false;
    }
    geometry_.setWindow(history_.back());
    history_.pop_back();
    return true;
}

bool PlotView::fitValues() {
    if (geometry_.dragging) {
        return false;
    }
    const DataWindow before = geometry_.window();
    // The spans are products of scale and width: allow for their rounding at the edges.
    constexpr double kEdge = 1e-6;
    const auto first = truncToInt64(std::ceil(before.xOffset - kEdge));
    const auto last = truncToInt64(std::floor(before.xOffset + before.xSpan + kEdge));
    const double factor = unitFactor(base_.unitIndex);
    const std::optional<ValueSpan> fit = fittedValues(first, last);
    if (!fit) {
        return false;
    }
    // The window holds base-unit values; the fit is in the display unit.
    DataWindow after = before;
    after.yOffset = fit->low / factor;
    after.ySpan = (fit->high - fit->low) / factor;
    geometry_.setWindow(after);
    rememberWindow(before);
    return true;
}

std::optional<ValueSpan> PlotView::fittedValues(std::int64_t first, std::int64_t last) const {
    const double factor = unitFactor(base_.unitIndex);
    std::optional<ValueSpan> all;
    const auto take = [&all](const RangeStatistics& s) {
        if (s.minIndex < 0) {
            return;
        }
        all = all ? ValueSpan{std::min(all->low, s.min), std::max(all->high, s.max)}
                  : ValueSpan{s.min, s.max};
    };
    take(analysis().statistics(first, last, factor));
    for (std::size_t i = 0; i < runs_.size(); ++i) {
        if (!runs_[i]->visible) {
            continue;
        }
        if (const auto span = runSpan(i, first, last)) {
            take(runs_[i]->ranges().statistics(span->first, span->last, factor));
        }
    }
    if (!all) {
        return std::nullopt;
    }
    return fitSpan(all->low, all->high);
}

bool PlotView::panTime(double windows) {
    if (geometry_.dragging || windows == 0.0) {
        return false;
    }
    const DataWindow before = geometry_.window();
    const double xMin = geometry_.xMin;
    const double xMax = geometry_.xMax;
    const double span = before.xSpan;
    double& offset = geometry_.xOffset;
    if (windows < 0.0) {
        offset = xMin < offset ? std::max(offset + windows * span, xMin) : xMin;
    } else {
        offset =
            offset + span < xMax ? std::min(offset + windows * span, xMax - span) : xMax - span;
    }
    if (geometry_.window() == before) {
        return false;
    }
    rememberWindow(before);
    return true;
}

bool PlotView::zoomTimeAboutCentre(double factor) {
    return wheelZoom(geometry_.leftMargin + geometry_.plotWidth / 2, factor);
}

bool PlotView::wheelZoom(std::int32_t x, double factor) {
    if (geometry_.dragging) {
        return false;
    }
    const DataWindow before = geometry_.window();
    if (!geometry_.wheelZoom(x, factor)) {
        return false;
    }
    rememberWindow(before);
    return true;
}

bool PlotView::setSelection(std::optional<SampleSelection> s) {
    if (s == selection_) {
        return false;
    }
    selection_ = s;
    return true;
}

std::optional<SampleSelection> PlotView::measuredRange() const {
    if (selection_) {
        return selection_;
    }
    const std::int64_t n = base_.sampleCount;
    if (n < 1) {
        return std::nullopt;
    }
    const std::int64_t first =
        std::clamp<std::int64_t>(geometry_.readoutIndex(geometry_.leftMargin), 0, n - 1);
    const std::int64_t last = std::clamp<std::int64_t>(
        geometry_.readoutIndex(geometry_.leftMargin + geometry_.plotWidth), 0, n - 1);
    return SampleSelection{first, last};
}

const RangeAnalysis& PlotView::analysis() const {
    if (!analysis_) {
        analysis_ = recording_ ? RangeAnalysis(*recording_) : RangeAnalysis();
    }
    return *analysis_;
}

std::vector<MeasurementLine> PlotView::measurement(std::int32_t model) const {
    const std::optional<SampleSelection> range = measuredRange();
    if (!recording_ || !range) {
        return {};
    }
    const DisplayUnit unit = displayUnit(model, base_.unitIndex);
    return measurementLines(*recording_,
                            analysis().statistics(range->first, range->last, unit.factor), unit);
}

PlotView::AddResult PlotView::addRun(std::shared_ptr<const Recording> rec) {
    if (runs_.size() >= kMaxComparedRuns) {
        return AddResult::TooMany;
    }
    if (!rec) {
        return AddResult::NoSamples;
    }
    auto run = std::make_unique<ComparedRun>();
    run->startTime = startTime(*rec);
    run->interval = rec->effectiveInterval();
    // A run without samples draws nothing but keeps its place in the colour order.
    run->summary.build(rec->samples.empty() ? nullptr : rec->samples.data(),
                       presentSampleCount(*rec));
    run->loggerName = recordingLoggerName(*rec);
    run->recording = std::move(rec);
    runs_.push_back(std::move(run));
    return AddResult::Added;
}

void PlotView::removeRun(std::size_t i) {
    if (i < runs_.size()) {
        runs_.erase(runs_.begin() + static_cast<std::ptrdiff_t>(i));
    }
}

void PlotView::clearRuns() {
    runs_.clear();
}

void PlotView::setRunVisible(std::size_t i, bool visible) {
    if (i < runs_.size()) {
        runs_[i]->visible = visible;
    }
}

double PlotView::runOffsetSeconds(std::size_t i) const {
    if (alignment_ != RunAlignment::ByClock || i >= runs_.size() || !runs_[i]->startTime) {
        return 0.0;
    }
    return static_cast<double>(*runs_[i]->startTime - base_.startTime);
}

double PlotView::runSampleIndex(std::size_t i, std::int64_t j) const {
    return comparedIndex(j, runs_.at(i)->interval, runOffsetSeconds(i), base_.sampleInterval);
}

std::optional<SampleSelection> PlotView::runSpan(std::size_t i, std::int64_t first,
                                                 std::int64_t last) const {
    const ComparedRun& r = *runs_.at(i);
    const std::int64_t n = r.summary.count();
    const double shown = base_.sampleInterval;
    const double step = r.interval;
    const double offset = runOffsetSeconds(i);
    const double from = static_cast<double>(first) * shown;
    const double to = static_cast<double>(last) * shown;
    if (n < 1 || !(step > 0.0) || from > to) {
        return std::nullopt;
    }
    const auto time = [&](std::int64_t j) { return static_cast<double>(j) * step + offset; };
    // Estimates from the division, then settled by the comparison itself.
    std::int64_t a =
        std::clamp<std::int64_t>(truncToInt64(std::ceil((from - offset) / step)), 0, n);
    while (a > 0 && time(a - 1) >= from) {
        --a;
    }
    while (a < n && time(a) < from) {
        ++a;
    }
    std::int64_t b =
        std::clamp<std::int64_t>(truncToInt64(std::floor((to - offset) / step)), -1, n - 1);
    while (b + 1 < n && time(b + 1) <= to) {
        ++b;
    }
    while (b >= 0 && time(b) > to) {
        --b;
    }
    if (a > b) {
        return std::nullopt;
    }
    return SampleSelection{a, b};
}

std::optional<std::int64_t> PlotView::runSampleAt(std::size_t i, double shownIndex) const {
    const ComparedRun& r = *runs_.at(i);
    const std::int64_t n = r.summary.count();
    const double step = r.interval;
    if (n < 1 || !(step > 0.0)) {
        return std::nullopt;
    }
    const double j = (shownIndex * base_.sampleInterval - runOffsetSeconds(i)) / step;
    if (!(j >= 0.0) || j > static_cast<double>(n - 1)) {
        return std::nullopt;
    }
    return std::clamp<std::int64_t>(truncToInt64(std::floor(j + 0.5)), 0, n - 1);
}

std::vector<RunMeasurement> PlotView::runMeasurements(std::optional<std::int64_t> pointer) const {
    std::vector<RunMeasurement> out;
    const std::optional<SampleSelection> range = measuredRange();
    if (!range) {
        return out;
    }
    const double factor = unitFactor(base_.unitIndex);
    for (std::size_t i = 0; i < runs_.size(); ++i) {
        if (!runs_[i]->visible) {
            continue;
        }
        RunMeasurement m;
        m.run = i;
        if (const auto span = runSpan(i, range->first, range->last)) {
            m.figures = runs_[i]->ranges().statistics(span->first, span->last, factor);
        }
        if (pointer) {
            m.pointerSample = runSampleAt(i, static_cast<double>(*pointer));
        }
        out.push_back(std::move(m));
    }
    return out;
}

} // namespace quillmark
