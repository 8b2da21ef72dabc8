#include "bench/frame/AvFilterPeer.h"

#include "bench/frame/CacheControl.h"

#include <cstring>

extern "C" {
#include <libavfilter/avfilter.h>
#include <libavfilter/buffersink.h>
#include <libavfilter/buffersrc.h>
#include <libavutil/error.h>
#include <libavutil/frame.h>
#include <libavutil/pixdesc.h>
}

namespace kestrimo::bench {
namespace {

AVPixelFormat PixelFormatOf(const PlanarFrame& layout) {
  if (layout.chromaShiftX == 0) return AV_PIX_FMT_YUV444P;
  return layout.chromaShiftY == 0 ? AV_PIX_FMT_YUV422P : AV_PIX_FMT_YUV420P;
}

std::string ErrorText(int code) {
  char text[AV_ERROR_MAX_STRING_SIZE] = {};
  av_strerror(code, text, sizeof text);
  return text;
}

// Links `filters` between two already made filter contexts.
int LinkChain(AVFilterGraph* graph, AVFilterContext* from, AVFilterContext* to,
              const std::string& filters) {
  AVFilterInOut* outputs = avfilter_inout_alloc();
  AVFilterInOut* inputs = avfilter_inout_alloc();
  int code = AVERROR(ENOMEM);
  if (outputs != nullptr && inputs != nullptr) {
    outputs->name = av_strdup("in");
    outputs->filter_ctx = from;
    inputs->name = av_strdup("out");
    inputs->filter_ctx = to;
    code = avfilter_graph_parse_ptr(graph, filters.c_str(), &inputs, &outputs, nullptr);
  }
  avfilter_inout_free(&inputs);
  avfilter_inout_free(&outputs);
  return code;
}

}  // namespace

const char* PixelFormatName(const PlanarFrame& layout) {
  return av_get_pix_fmt_name(PixelFormatOf(layout));
}

AvFilterPeer::~AvFilterPeer() { Close(); }

void AvFilterPeer::Close() {
  for (AVFrame*& frame : frames_) av_frame_free(&frame);
  frames_.clear();
  next_ = last_ = 0;
  avfilter_graph_free(&graph_);
  source_ = sink_ = nullptr;
}

bool AvFilterPeer::Fail(const std::string& what, int code) {
  error_ = what + ": " + ErrorText(code);
  return false;
}

bool AvFilterPeer::Open(const PlanarFrame& layout, const std::string& filters) {
  Close();
  layout_ = layout;
  av_log_set_level(AV_LOG_ERROR);
  graph_ = avfilter_graph_alloc();
  if (graph_ == nullptr) return Fail("graph", AVERROR(ENOMEM));
  graph_->nb_threads = 1;
  const std::string sourceArgs = "video_size=" + std::to_string(layout.width) + "x" +
                                 std::to_string(layout.height) +
                                 ":pix_fmt=" + std::string(PixelFormatName(layout)) +
                                 ":time_base=1/25:pixel_aspect=1/1";
  int code = avfilter_graph_create_filter(&source_, avfilter_get_by_name("buffer"), "in",
                                          sourceArgs.c_str(), nullptr, graph_);
  if (code < 0) return Fail("buffer source", code);
  code = avfilter_graph_create_filter(&sink_, avfilter_get_by_name("buffersink"), "out", nullptr,
                                      nullptr, graph_);
  if (code < 0) return Fail("buffer sink", code);
  if ((code = LinkChain(graph_, source_, sink_, filters)) < 0) return Fail(filters, code);
  if ((code = avfilter_graph_config(graph_, nullptr)) < 0) return Fail(filters, code);
  return true;
}

bool AvFilterPeer::Load(const PlanarFrame& picture, int copies) {
  for (AVFrame*& frame : frames_) av_frame_free(&frame);
  frames_.clear();
  next_ = last_ = 0;
  for (int i = 0; i < copies; ++i) {
    AVFrame* frame = av_frame_alloc();
    if (frame == nullptr) return Fail("frame", AVERROR(ENOMEM));
    frames_.push_back(frame);
    frame->format = PixelFormatOf(layout_);
    frame->width = layout_.width;
    frame->height = layout_.height;
    if (int code = av_frame_get_buffer(frame, 0); code < 0) return Fail("frame buffer", code);
    for (int plane = 0; plane < 3; ++plane) {
      const int w = picture.PlaneWidth(plane);
      for (int y = 0; y < picture.PlaneHeight(plane); ++y) {
        std::memcpy(frame->data[plane] + static_cast<std::ptrdiff_t>(y) * frame->linesize[plane],
                    picture.planes[plane].data() + static_cast<std::size_t>(y) * w, w);
      }
    }
  }
  return !frames_.empty() || Fail("frame", AVERROR(EINVAL));
}

bool AvFilterPeer::Run() {
  AVFrame* frame = frames_[next_];
  last_ = next_;
  next_ = (next_ + 1) % frames_.size();
  int code = av_buffersrc_add_frame(source_, frame);  // hands the reference over
  if (code < 0) return Fail("add frame", code);
  code = av_buffersink_get_frame(sink_, frame);
  return code >= 0 || Fail("get frame", code);
}

void AvFilterPeer::FlushNextFrame() const {
  if (frames_.empty()) return;
  const AVFrame* frame = frames_[next_];
  for (int plane = 0; plane < 3; ++plane)
    if (frame->data[plane] != nullptr)
      FlushFromCache(frame->data[plane],
                     static_cast<std::size_t>(frame->linesize[plane]) * layout_.PlaneHeight(plane));
}

PlanarFrame AvFilterPeer::Result() const {
  PlanarFrame out = layout_;
  const AVFrame* frame = frames_.empty() ? nullptr : frames_[last_];
  for (int plane = 0; plane < 3; ++plane) {
    const int w = out.PlaneWidth(plane);
    out.planes[plane].assign(static_cast<std::size_t>(w) * out.PlaneHeight(plane), 0);
    if (frame == nullptr || frame->data[plane] == nullptr) continue;
    for (int y = 0; y < out.PlaneHeight(plane); ++y) {
      std::memcpy(out.planes[plane].data() + static_cast<std::size_t>(y) * w,
                  frame->data[plane] + static_cast<std::ptrdiff_t>(y) * frame->linesize[plane], w);
    }
  }
  return out;
}

bool GeneratePattern(const std::string& source, int width, int height, RgbPicture& picture,
                     std::string& error) {
  AVFilterGraph* graph = avfilter_graph_alloc();
  AVFilterContext* sink = nullptr;
  AVFrame* frame = av_frame_alloc();
  const std::string chain = source + "=size=" + std::to_string(width) + "x" +
                            std::to_string(height) + ":rate=25,format=rgb24";
  int code = graph && frame ? 0 : AVERROR(ENOMEM);
  if (code >= 0) {
    code = avfilter_graph_create_filter(&sink, avfilter_get_by_name("buffersink"), "out", nullptr,
                                        nullptr, graph);
  }
  if (code >= 0) {
    AVFilterInOut* inputs = avfilter_inout_alloc();
    inputs->name = av_strdup("out");
    inputs->filter_ctx = sink;
    AVFilterInOut* outputs = nullptr;
    code = avfilter_graph_parse_ptr(graph, chain.c_str(), &inputs, &outputs, nullptr);
    avfilter_inout_free(&inputs);
    avfilter_inout_free(&outputs);
  }
  if (code >= 0) code = avfilter_graph_config(graph, nullptr);
  if (code >= 0) code = av_buffersink_get_frame(sink, frame);
  if (code >= 0) {
    picture.width = frame->width;
    picture.height = frame->height;
    picture.rgb.resize(static_cast<std::size_t>(frame->width) * frame->height * 3);
    for (int y = 0; y < frame->height; ++y) {
      std::memcpy(picture.rgb.data() + static_cast<std::size_t>(y) * frame->width * 3,
                  frame->data[0] + static_cast<std::ptrdiff_t>(y) * frame->linesize[0],
                  static_cast<std::size_t>(frame->width) * 3);
    }
  } else {
    error = chain + ": " + ErrorText(code);
  }
  av_frame_free(&frame);
  avfilter_graph_free(&graph);
  return code >= 0;
}

}  // namespace kestrimo::bench
