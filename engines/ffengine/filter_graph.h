#pragma once

#include <string>
#include <vector>

extern "C" {
#include <libavfilter/avfilter.h>
}

namespace ffengine {

// One filter graph built from a description whose open pads are named: each source feeds the pad of
// its label, and the graph ends in one sink on the pad `sinkLabel`.
class FilterGraph {
 public:
  struct Source {
    std::string label;   // pad name in the description, without brackets
    const char* filter;  // "buffer" or "abuffer"
    std::string args;
  };

  FilterGraph() = default;
  ~FilterGraph() { avfilter_graph_free(&graph_); }
  FilterGraph(const FilterGraph&) = delete;
  FilterGraph& operator=(const FilterGraph&) = delete;

  // False with FFmpeg's reason in `error`.
  bool Build(const std::string& description, const std::vector<Source>& sources, bool video,
             const std::string& sinkLabel, std::string& error);

  bool Built() const { return sink_ != nullptr; }
  // The source made for `sources[index]`.
  AVFilterContext* SourceAt(size_t index) const {
    return index < sources_.size() ? sources_[index] : nullptr;
  }
  AVFilterContext* Sink() const { return sink_; }

 private:
  AVFilterGraph* graph_ = nullptr;
  std::vector<AVFilterContext*> sources_;
  AVFilterContext* sink_ = nullptr;
};

}  // namespace ffengine
