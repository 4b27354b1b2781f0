#include "tasks/list_probing.h"

#include <deque>
#include <utility>

#include "components/i_ff_preview.h"
#include "plug/plug_ptr.h"

namespace {

class PoolProber final : public ListProber {
 public:
  PoolProber(PlugPtr<I_FfProbePool> pool, int processes) : pool_(std::move(pool)), processes_(processes) {}
  ~PoolProber() override { pool_->Cancel(); }

  // Enough per process that the pool always has the next file for a process that is done.
  int Capacity() const override { return processes_ * 4; }
  void Submit(int64_t ticket, const QString& path) override {
    pool_->Submit(ticket, path.toUtf8().constData());
  }
  std::vector<ProbeAnswer> Collect(int waitMs) override {
    std::vector<ProbeAnswer> answers(static_cast<size_t>(Capacity()));
    answers.resize(
        static_cast<size_t>(pool_->Collect(waitMs, answers.data(), static_cast<int32_t>(answers.size()))));
    return answers;
  }
  void Cancel() override { pool_->Cancel(); }

 private:
  PlugPtr<I_FfProbePool> pool_;
  int processes_;
};

class InTurnProber final : public ListProber {
 public:
  int Capacity() const override { return 1; }
  void Submit(int64_t ticket, const QString& path) override { queue_.emplace_back(ticket, path.toUtf8()); }
  std::vector<ProbeAnswer> Collect(int) override {
    if (queue_.empty()) {
      return {};
    }
    const auto [ticket, path] = std::move(queue_.front());
    queue_.pop_front();
    ProbeAnswer answer{};
    answer.ticket = ticket;
    answer.verdict = kProbeRefused;
    PlugPtr<I_FfPreview> engine;
    if (CreateInto(engine, kFfPreviewName) && engine->Probe(path.constData(), &answer.media)) {
      answer.verdict = kProbeMedia;
    }
    return {answer};
  }
  void Cancel() override { queue_.clear(); }

 private:
  std::deque<std::pair<int64_t, QByteArray>> queue_;
};

}  // namespace

std::unique_ptr<ListProber> MakeListProber(const QString& workerProgram, int processes) {
  PlugPtr<I_FfProbePool> pool;
  if (!workerProgram.isEmpty() && CreateInto(pool, kFfProbePoolName) &&
      pool->Start(workerProgram.toUtf8().constData(), processes, 0)) {
    return std::make_unique<PoolProber>(std::move(pool), processes);
  }
  return std::make_unique<InTurnProber>();
}
