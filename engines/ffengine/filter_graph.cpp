#include "engines/ffengine/filter_graph.h"

extern "C" {
#include <libavutil/error.h>
#include <libavutil/mem.h>
}

#include "engines/ffengine/av_error.h"

namespace ffengine {

namespace {

struct InOutFree {
  AVFilterInOut* list = nullptr;
  ~InOutFree() { avfilter_inout_free(&list); }
};

}  // namespace

bool FilterGraph::Build(const std::string& description, const std::vector<Source>& sources, bool video,
                        const std::string& sinkLabel, std::string& error) {
  graph_ = avfilter_graph_alloc();
  if (graph_ == nullptr) {
    error = "out of memory";
    return false;
  }
  graph_->nb_threads = 0;  // as many as the machine has
  InOutFree open_outputs;
  for (const Source& source : sources) {
    AVFilterContext* context = nullptr;
    const int made = avfilter_graph_create_filter(&context, avfilter_get_by_name(source.filter),
                                                  source.label.c_str(), source.args.c_str(), nullptr, graph_);
    if (made < 0) {
      error = "source " + source.label + ": " + ErrorText(made);
      return false;
    }
    sources_.push_back(context);
    AVFilterInOut* pad = avfilter_inout_alloc();
    if (pad == nullptr) {
      error = "out of memory";
      return false;
    }
    pad->name = av_strdup(source.label.c_str());
    pad->filter_ctx = context;
    pad->pad_idx = 0;
    pad->next = open_outputs.list;
    open_outputs.list = pad;
  }
  AVFilterContext* sink = nullptr;
  const int made = avfilter_graph_create_filter(
      &sink, avfilter_get_by_name(video ? "buffersink" : "abuffersink"), "sink", nullptr, nullptr, graph_);
  if (made < 0) {
    error = "sink: " + ErrorText(made);
    return false;
  }
  InOutFree open_inputs;
  open_inputs.list = avfilter_inout_alloc();
  if (open_inputs.list == nullptr) {
    error = "out of memory";
    return false;
  }
  open_inputs.list->name = av_strdup(sinkLabel.c_str());
  open_inputs.list->filter_ctx = sink;
  open_inputs.list->pad_idx = 0;
  const int parsed =
      avfilter_graph_parse_ptr(graph_, description.c_str(), &open_inputs.list, &open_outputs.list, nullptr);
  if (parsed < 0) {
    error = "filters \"" + description + "\": " + ErrorText(parsed);
    return false;
  }
  const int configured = avfilter_graph_config(graph_, nullptr);
  if (configured < 0) {
    error = "filters \"" + description + "\": " + ErrorText(configured);
    return false;
  }
  sink_ = sink;
  return true;
}

}  // namespace ffengine
