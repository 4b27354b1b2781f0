#pragma once

#include <array>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <deque>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "components/engine_records.h"
#include "components/i_ff_preview.h"
#include "plug/plug_ptr.h"
#include "plug/plug_table.h"
#include "tests/fakes/null_ff_preview.h"

// A media engine for window tests, played by script and keeping a journal of what it was asked.
//
// Typical use: a test keeps a ScriptedFfPreviewRegistration for its lifetime, which registers the
// engine under "FfPreview"; it sets `registration.script` before the window creates an engine, then
// reads the instance through `registration.Last()`:
//
//   ScriptedFfPreviewRegistration engines;
//   engines.script.openResult = true;
//   engines.script.positions = {{0, 12.5}};
//   ...the window opens a preview...
//   ScriptedFfPreview* engine = engines.Last();
//   EXPECT_EQ(engine->CallTexts(), (std::vector<std::string>{"Open", "Play"}));
//   EXPECT_TRUE(engine->SendView());  // a frame of the opened view size reaches the record's sink
//
// Each engine copies the registration's script when it is made; a test may change an engine's own
// `script` afterwards. The registration keeps a reference to every engine it made, so they stay
// readable after the window released them; References() tells whether anybody else still holds one.
//
// Threads: Snapshot may deliver its frame from a thread of its own, a while later, as the real engine
// does; Close (and the engine's end) waits for such deliveries, so no frame reaches a sink after its
// owner closed the engine. Send* deliver on demand, from the caller's thread or from another thread
// that they wait for. The journal has its own lock; the script is read on the calling thread only.

// The answers an engine gives.
struct PreviewScript {
  struct Position {
    int32_t status = 0;  // 0 playing; anything else ended or failed
    double seconds = 0.0;
  };
  enum class SnapshotFrame {
    kNone,    // Snapshot answers but no frame ever comes
    kAtOnce,  // the frame arrives on the caller's thread before Snapshot returns
    kLater,   // the frame arrives from another thread `snapshotDelay` after the call
  };

  bool openResult = true;
  // Sent through the record's OnLog during Open, before it answers.
  std::vector<std::string> openLog;
  // GetPosition's answers in turn; the last one keeps being given. Empty: playing at 0 seconds.
  std::deque<Position> positions;
  bool snapshotResult = true;
  SnapshotFrame snapshotFrame = SnapshotFrame::kAtOnce;
  std::chrono::milliseconds snapshotDelay{0};
  // Colour of the frames the engine makes, as bytes B, G, R.
  std::array<uint8_t, 3> frameColour{0x20, 0x60, 0xA0};
  // When not empty, Snapshot delivers these bytes instead of a plain frame of the record's size.
  std::vector<uint8_t> snapshotBytes;
  // Probe's answers by path (anything else is refused) and GetImageSize's.
  std::map<std::string, MediaInfo> probes;
  std::map<std::string, std::pair<int32_t, int32_t>> imageSizes;
};

// One operation the engine received: its name and its numeric arguments, in order.
struct PreviewCall {
  std::string name;
  std::vector<double> args;

  // "Seek 12", "SetCrop 0 0 320 240 1", "Open": whole numbers without a decimal point.
  std::string Text() const {
    std::string text = name;
    for (double arg : args) {
      text += ' ';
      if (arg == std::floor(arg) && std::fabs(arg) < 1e15) {
        text += std::to_string(static_cast<long long>(arg));
      } else {
        text += std::to_string(arg);
      }
    }
    return text;
  }
};

class ScriptedFfPreview final : public NullFfPreview {
 public:
  enum class From { kCaller, kOtherThread };

  explicit ScriptedFfPreview(PreviewScript startScript) : script(std::move(startScript)) {}

  PreviewScript script;

  // ---- the journal ----
  std::vector<PreviewCall> Calls() const {
    std::lock_guard lock(journalLock_);
    return calls_;
  }
  std::vector<std::string> CallTexts() const {
    std::vector<std::string> texts;
    for (const PreviewCall& call : Calls()) {
      texts.push_back(call.Text());
    }
    return texts;
  }
  // How many calls had this name ("Seek") or this whole text ("Seek 12").
  int Count(const std::string& nameOrText) const {
    int count = 0;
    for (const PreviewCall& call : Calls()) {
      count += call.name == nameOrText || call.Text() == nameOrText ? 1 : 0;
    }
    return count;
  }
  void ClearCalls() {
    std::lock_guard lock(journalLock_);
    calls_.clear();
  }
  // A copy of the record the last Open received (zero-filled before any Open).
  bool Opened() const {
    std::lock_guard lock(journalLock_);
    return opened_;
  }
  PreviewOpen Record() const {
    std::lock_guard lock(journalLock_);
    return record_;
  }
  // The last SetEffects and SetWatermark blocks; the watermark's file text is copied, its pointer
  // cleared.
  EffectBlock Effects() const {
    std::lock_guard lock(journalLock_);
    return effects_;
  }
  WatermarkBlock Watermark() const {
    std::lock_guard lock(journalLock_);
    return mark_;
  }
  std::string WatermarkFile() const {
    std::lock_guard lock(journalLock_);
    return markFile_;
  }
  // References held, including the registration's own.
  int References() const { return refs_; }

  // ---- frames on demand ----
  // Rows as the engine delivers them: B, G, R pixels, top-down, each row padded to 4 bytes.
  static std::vector<uint8_t> Frame(int width, int height, std::array<uint8_t, 3> bgr) {
    if (width <= 0 || height <= 0) {
      return {};
    }
    const size_t stride = (static_cast<size_t>(width) * 3 + 3) & ~size_t{3};
    std::vector<uint8_t> rows(stride * static_cast<size_t>(height), 0);
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) {
        std::memcpy(rows.data() + stride * y + static_cast<size_t>(x) * 3, bgr.data(), 3);
      }
    }
    return rows;
  }
  // A frame of the opened record's size in the script's colour to OnViewFrame / OnCropFrame /
  // OnSnapshotFrame; false (nothing sent) before an Open with a sink.
  bool SendView(From from = From::kOtherThread) { return SendSized(&FfPreviewEvent::OnViewFrame, from); }
  bool SendCrop(From from = From::kOtherThread) { return SendSized(&FfPreviewEvent::OnCropFrame, from); }
  bool SendSnapshot(From from = From::kOtherThread) {
    return SendSized(&FfPreviewEvent::OnSnapshotFrame, from);
  }
  // Exactly these bytes, whatever the record's sizes: for frames the sink must refuse.
  bool SendViewBytes(const std::vector<uint8_t>& bytes, From from = From::kOtherThread) {
    return Send(&FfPreviewEvent::OnViewFrame, bytes, from);
  }
  bool SendCropBytes(const std::vector<uint8_t>& bytes, From from = From::kOtherThread) {
    return Send(&FfPreviewEvent::OnCropFrame, bytes, from);
  }
  bool SendSnapshotBytes(const std::vector<uint8_t>& bytes, From from = From::kOtherThread) {
    return Send(&FfPreviewEvent::OnSnapshotFrame, bytes, from);
  }
  bool SendLog(const std::string& text, From from = From::kOtherThread) {
    FfPreviewEvent* sink = Sink();
    if (sink == nullptr) {
      return false;
    }
    Run([sink, text] { sink->OnLog(text.c_str()); }, from);
    return true;
  }

  // ---- I_FfPreview ----
  int32_t AddRef() override {
    ++refs_;
    return NullFfPreview::AddRef();
  }
  void Release() override {
    --refs_;
    NullFfPreview::Release();  // may delete this: nothing after it
  }
  bool Open(const PreviewOpen* record) override {
    Note("Open");
    if (record == nullptr) {
      return false;
    }
    {
      std::lock_guard lock(journalLock_);
      record_ = *record;
      opened_ = true;
    }
    if (record->events != nullptr) {
      for (const std::string& line : script.openLog) {
        record->events->OnLog(line.c_str());
      }
    }
    return script.openResult;
  }
  void Play() override { Note("Play"); }
  void Pause() override { Note("Pause"); }
  void Close() override {
    Note("Close");
    JoinDeliveries();
  }
  void Seek(int32_t seconds) override { Note("Seek", {static_cast<double>(seconds)}); }
  void StepFrame() override { Note("StepFrame"); }
  int32_t GetPosition(double* seconds) override {
    Note("GetPosition");
    PreviewScript::Position answer;
    if (!script.positions.empty()) {
      answer = script.positions.front();
      if (script.positions.size() > 1) {
        script.positions.pop_front();
      }
    }
    if (seconds != nullptr) {
      *seconds = answer.seconds;
    }
    return answer.status;
  }
  bool Snapshot() override {
    Note("Snapshot");
    if (!script.snapshotResult) {
      return false;
    }
    FfPreviewEvent* sink = Sink();
    const PreviewOpen record = Record();
    const std::vector<uint8_t> pixels =
        !script.snapshotBytes.empty()
            ? script.snapshotBytes
            : Frame(record.snapshotWidth, record.snapshotHeight, script.frameColour);
    if (sink == nullptr || pixels.empty()) {
      return true;
    }
    switch (script.snapshotFrame) {
      case PreviewScript::SnapshotFrame::kNone:
        break;
      case PreviewScript::SnapshotFrame::kAtOnce:
        sink->OnSnapshotFrame(pixels.data(), static_cast<int32_t>(pixels.size()));
        break;
      case PreviewScript::SnapshotFrame::kLater: {
        std::lock_guard lock(deliveryLock_);
        deliveries_.emplace_back([sink, pixels, delay = script.snapshotDelay] {
          std::this_thread::sleep_for(delay);
          sink->OnSnapshotFrame(pixels.data(), static_cast<int32_t>(pixels.size()));
        });
        break;
      }
    }
    return true;
  }
  void SetCrop(int32_t x, int32_t y, int32_t width, int32_t height, int32_t zoomMode) override {
    Note("SetCrop", {static_cast<double>(x), static_cast<double>(y), static_cast<double>(width),
                     static_cast<double>(height), static_cast<double>(zoomMode)});
  }
  void SetEffects(const EffectBlock* effects) override {
    Note("SetEffects");
    if (effects != nullptr) {
      std::lock_guard lock(journalLock_);
      effects_ = *effects;
    }
  }
  void SetWatermark(const WatermarkBlock* mark) override {
    Note("SetWatermark");
    if (mark != nullptr) {
      std::lock_guard lock(journalLock_);
      mark_ = *mark;
      markFile_ = mark->markFile != nullptr ? mark->markFile : "";
      mark_.markFile = nullptr;
    }
  }
  bool Probe(const char* path, MediaInfo* info) override {
    Note("Probe");
    if (path == nullptr || info == nullptr) {
      return false;
    }
    const auto found = script.probes.find(path);
    if (found == script.probes.end()) {
      return false;
    }
    *info = found->second;
    return true;
  }
  bool GetImageSize(const char* path, int32_t* width, int32_t* height) override {
    Note("GetImageSize");
    if (path == nullptr || width == nullptr || height == nullptr) {
      return false;
    }
    const auto found = script.imageSizes.find(path);
    if (found == script.imageSizes.end()) {
      return false;
    }
    *width = found->second.first;
    *height = found->second.second;
    return true;
  }

 private:
  ~ScriptedFfPreview() override { JoinDeliveries(); }

  void Note(std::string name, std::vector<double> args = {}) {
    std::lock_guard lock(journalLock_);
    calls_.push_back({std::move(name), std::move(args)});
  }
  FfPreviewEvent* Sink() const {
    std::lock_guard lock(journalLock_);
    return opened_ ? record_.events : nullptr;
  }
  template <class Work>
  static void Run(Work work, From from) {
    if (from == From::kCaller) {
      work();
    } else {
      std::thread(work).join();
    }
  }
  using FrameCall = void (FfPreviewEvent::*)(const void*, int32_t);
  bool Send(FrameCall call, const std::vector<uint8_t>& bytes, From from) {
    FfPreviewEvent* sink = Sink();
    if (sink == nullptr) {
      return false;
    }
    Run([sink, call, &bytes] { (sink->*call)(bytes.data(), static_cast<int32_t>(bytes.size())); }, from);
    return true;
  }
  bool SendSized(FrameCall call, From from) {
    const PreviewOpen record = Record();
    int width = record.viewWidth;
    int height = record.viewHeight;
    if (call == &FfPreviewEvent::OnCropFrame) {
      width = record.cropViewWidth;
      height = record.cropViewHeight;
    } else if (call == &FfPreviewEvent::OnSnapshotFrame) {
      width = record.snapshotWidth;
      height = record.snapshotHeight;
    }
    return Send(call, Frame(width, height, script.frameColour), from);
  }
  void JoinDeliveries() {
    std::vector<std::thread> deliveries;
    {
      std::lock_guard lock(deliveryLock_);
      deliveries.swap(deliveries_);
    }
    for (std::thread& delivery : deliveries) {
      delivery.join();
    }
  }

  std::atomic<int> refs_{1};
  mutable std::mutex journalLock_;
  std::vector<PreviewCall> calls_;
  bool opened_ = false;
  PreviewOpen record_{};
  EffectBlock effects_{};
  WatermarkBlock mark_{};
  std::string markFile_;
  std::mutex deliveryLock_;
  std::vector<std::thread> deliveries_;
};

// Registers ScriptedFfPreview under "FfPreview" for as long as it lives. One at a time per process: while
// another registration (or a loaded engine module) holds the name, Registered() is false and creating
// "FfPreview" does not reach this one. Keep it alive longer than anything that may still create an
// engine.
class ScriptedFfPreviewRegistration {
 public:
  ScriptedFfPreviewRegistration() {
    if (current_ == nullptr && registrar_.Registered()) {
      current_ = this;
    }
  }
  ~ScriptedFfPreviewRegistration() {
    if (current_ == this) {
      current_ = nullptr;
    }
  }
  ScriptedFfPreviewRegistration(const ScriptedFfPreviewRegistration&) = delete;
  ScriptedFfPreviewRegistration& operator=(const ScriptedFfPreviewRegistration&) = delete;

  // True when creating "FfPreview" makes this registration's engines.
  bool Registered() const {
    const PlugEntry* entry = FindPlugEntry(OpenPlugTable(), kFfPreviewName);
    return current_ == this && entry != nullptr && entry->factory == &Make;
  }

  // Copied into every engine made from now on.
  PreviewScript script;

  // The engines made so far, oldest first; null when there is none.
  int Created() const { return static_cast<int>(made_.size()); }
  ScriptedFfPreview* At(int index) const {
    return index >= 0 && index < Created() ? made_[static_cast<size_t>(index)].Get() : nullptr;
  }
  ScriptedFfPreview* Last() const { return made_.empty() ? nullptr : made_.back().Get(); }

 private:
  static I_Plug* Make() {
    if (current_ == nullptr) {
      return nullptr;
    }
    auto* engine = new ScriptedFfPreview(current_->script);
    current_->made_.emplace_back(engine);  // the registration's own reference
    return engine;                         // the creator's reference
  }

  inline static ScriptedFfPreviewRegistration* current_ = nullptr;
  // Released after the entry has left the table (members end in reverse order).
  std::vector<PlugPtr<ScriptedFfPreview>> made_;
  AutoReg registrar_{kFfPreviewName, &Make};
};
