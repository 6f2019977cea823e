#include "datagen/media_writer.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/log.h>
}

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <functional>

namespace datagen {

namespace {

constexpr double kPi = 3.14159265358979323846;

// One sample (-1..1) of channel `ch` at frame `i`.
using SampleFn = std::function<double(int64_t i, int ch)>;

bool Fail(const std::string& path, const char* what) {
    std::fprintf(stderr, "media_writer: %s: %s\n", path.c_str(), what);
    return false;
}

AVSampleFormat PickSampleFormat(const AVCodec* codec) {
    const AVSampleFormat wanted[] = {AV_SAMPLE_FMT_S16, AV_SAMPLE_FMT_S16P, AV_SAMPLE_FMT_FLTP, AV_SAMPLE_FMT_FLT};
    for (AVSampleFormat w : wanted) {
        for (const AVSampleFormat* f = codec->sample_fmts; f && *f != AV_SAMPLE_FMT_NONE; ++f) {
            if (*f == w) return w;
        }
    }
    return AV_SAMPLE_FMT_NONE;
}

void PutSample(AVFrame* fr, AVSampleFormat fmt, int channels, int i, int ch, double v) {
    v = std::max(-1.0, std::min(1.0, v));
    const int16_t s = static_cast<int16_t>(std::lround(v * 32767.0));
    switch (fmt) {
    case AV_SAMPLE_FMT_S16: reinterpret_cast<int16_t*>(fr->data[0])[i * channels + ch] = s; break;
    case AV_SAMPLE_FMT_S16P: reinterpret_cast<int16_t*>(fr->data[ch])[i] = s; break;
    case AV_SAMPLE_FMT_FLTP: reinterpret_cast<float*>(fr->data[ch])[i] = static_cast<float>(v); break;
    case AV_SAMPLE_FMT_FLT: reinterpret_cast<float*>(fr->data[0])[i * channels + ch] = static_cast<float>(v); break;
    default: break;
    }
}

struct Output {
    AVFormatContext* oc = nullptr;
    ~Output() {
        if (!oc) return;
        if (oc->pb) avio_closep(&oc->pb);
        avformat_free_context(oc);
    }
};

struct StreamEnc {
    AVStream* st = nullptr;
    AVCodecContext* ctx = nullptr;
    AVFrame* frame = nullptr;
    AVPacket* pkt = nullptr;
    int64_t next = 0;  // pts of the next frame, in the encoder's time base
    bool done = false;
    ~StreamEnc() {
        av_frame_free(&frame);
        av_packet_free(&pkt);
        avcodec_free_context(&ctx);
    }
};

bool Drain(AVFormatContext* oc, StreamEnc& s) {
    for (;;) {
        const int rc = avcodec_receive_packet(s.ctx, s.pkt);
        if (rc == AVERROR(EAGAIN) || rc == AVERROR_EOF) return true;
        if (rc < 0) return false;
        av_packet_rescale_ts(s.pkt, s.ctx->time_base, s.st->time_base);
        s.pkt->stream_index = s.st->index;
        if (av_interleaved_write_frame(oc, s.pkt) < 0) return false;
    }
}

bool OpenAudio(AVFormatContext* oc, StreamEnc& a, const AVCodec* codec, int rate, int channels) {
    a.st = avformat_new_stream(oc, nullptr);
    a.ctx = avcodec_alloc_context3(codec);
    if (!a.st || !a.ctx) return false;
    a.ctx->sample_fmt = PickSampleFormat(codec);
    if (a.ctx->sample_fmt == AV_SAMPLE_FMT_NONE) return false;
    a.ctx->sample_rate = rate;
    av_channel_layout_default(&a.ctx->ch_layout, channels);
    a.ctx->bit_rate = 128000;
    a.ctx->time_base = AVRational{1, rate};
    if (oc->oformat->flags & AVFMT_GLOBALHEADER) a.ctx->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    if (avcodec_open2(a.ctx, codec, nullptr) < 0) return false;
    if (avcodec_parameters_from_context(a.st->codecpar, a.ctx) < 0) return false;
    a.st->time_base = a.ctx->time_base;
    a.frame = av_frame_alloc();
    a.pkt = av_packet_alloc();
    if (!a.frame || !a.pkt) return false;
    a.frame->format = a.ctx->sample_fmt;
    a.frame->sample_rate = rate;
    av_channel_layout_copy(&a.frame->ch_layout, &a.ctx->ch_layout);
    a.frame->nb_samples = a.ctx->frame_size > 0 ? a.ctx->frame_size : 1152;
    return av_frame_get_buffer(a.frame, 0) >= 0;
}

// Encodes the next audio frame (or flushes after `total` frames).
bool EncodeAudio(AVFormatContext* oc, StreamEnc& a, int64_t total, const SampleFn& fn) {
    if (a.next >= total) {
        avcodec_send_frame(a.ctx, nullptr);
        a.done = true;
        return Drain(oc, a);
    }
    if (av_frame_make_writable(a.frame) < 0) return false;
    const int channels = a.ctx->ch_layout.nb_channels;
    for (int i = 0; i < a.frame->nb_samples; ++i) {
        const int64_t at = a.next + i;
        for (int ch = 0; ch < channels; ++ch) {
            PutSample(a.frame, a.ctx->sample_fmt, channels, i, ch, at < total ? fn(at, ch) : 0.0);
        }
    }
    a.frame->pts = a.next;
    a.next += a.frame->nb_samples;
    if (avcodec_send_frame(a.ctx, a.frame) < 0) return false;
    return Drain(oc, a);
}

const AVCodec* MusicEncoder() {
    if (const AVCodec* c = avcodec_find_encoder(AV_CODEC_ID_MP3)) return c;
    return avcodec_find_encoder(AV_CODEC_ID_MP2);
}

bool OpenFile(Output& out, const std::string& path, const char* format) {
    std::error_code ec;
    const std::filesystem::path p(path);
    if (p.has_parent_path()) std::filesystem::create_directories(p.parent_path(), ec);
    if (avformat_alloc_output_context2(&out.oc, nullptr, format, path.c_str()) < 0 || !out.oc) return false;
    return avio_open(&out.oc->pb, path.c_str(), AVIO_FLAG_WRITE) >= 0;
}

bool WriteMusic(const std::string& path, int rate, int channels, int64_t frames, const SampleFn& fn) {
    av_log_set_level(AV_LOG_ERROR);
    const AVCodec* codec = MusicEncoder();
    if (!codec) return Fail(path, "no MP3 or MP2 encoder");
    Output out;
    if (!OpenFile(out, path, codec->id == AV_CODEC_ID_MP3 ? "mp3" : "mp2")) return Fail(path, "cannot create");
    StreamEnc a;
    if (!OpenAudio(out.oc, a, codec, rate, channels)) return Fail(path, "audio encoder refused the format");
    if (avformat_write_header(out.oc, nullptr) < 0) return Fail(path, "header");
    while (!a.done) {
        if (!EncodeAudio(out.oc, a, frames, fn)) return Fail(path, "encoding");
    }
    if (av_write_trailer(out.oc) < 0) return Fail(path, "trailer");
    return true;
}

} // namespace

bool WriteToneMusic(const std::string& path, const ToneSpec& tone) {
    const int64_t frames = static_cast<int64_t>(tone.seconds * tone.sampleRate);
    const double w = 2.0 * kPi * tone.frequency / tone.sampleRate;
    return WriteMusic(path, tone.sampleRate, tone.channels, frames,
                      [&](int64_t i, int) { return tone.amplitude * std::sin(w * static_cast<double>(i)); });
}

bool WriteMelody(const std::string& path, const std::vector<Note>& notes, int sampleRate) {
    std::vector<int64_t> starts;
    int64_t total = 0;
    for (const Note& n : notes) {
        starts.push_back(total);
        total += static_cast<int64_t>(n.ms) * sampleRate / 1000;
    }
    size_t k = 0;
    return WriteMusic(path, sampleRate, 2, total, [&](int64_t i, int ch) {
        while (k + 1 < notes.size() && i >= starts[k + 1]) ++k;
        const Note& n = notes[k];
        if (n.frequency <= 0) return 0.0;
        const double t = static_cast<double>(i - starts[k]) / sampleRate;
        const double len = n.ms / 1000.0;
        // Soft attack and release so notes do not click.
        const double env = std::min({1.0, t / 0.01, (len - t) / 0.05}) * std::exp(-2.0 * t);
        const double base = std::sin(2.0 * kPi * n.frequency * t) + 0.3 * std::sin(4.0 * kPi * n.frequency * t);
        return 0.35 * std::max(0.0, env) * base * (ch == 0 ? 1.0 : 0.9);
    });
}

bool WriteTestClip(const std::string& path, const ClipSpec& clip) {
    av_log_set_level(AV_LOG_ERROR);
    const AVCodec* vcodec = avcodec_find_encoder(AV_CODEC_ID_MPEG1VIDEO);
    if (!vcodec) return Fail(path, "no MPEG-1 video encoder");
    Output out;
    if (!OpenFile(out, path, "mpeg")) return Fail(path, "cannot create");

    StreamEnc v;
    v.st = avformat_new_stream(out.oc, nullptr);
    v.ctx = avcodec_alloc_context3(vcodec);
    if (!v.st || !v.ctx) return Fail(path, "video stream");
    v.ctx->width = clip.width;
    v.ctx->height = clip.height;
    v.ctx->pix_fmt = AV_PIX_FMT_YUV420P;
    v.ctx->time_base = AVRational{1, clip.fps};
    v.ctx->framerate = AVRational{clip.fps, 1};
    v.ctx->gop_size = 12;
    v.ctx->max_b_frames = 0;
    v.ctx->bit_rate = 800000;
    if (avcodec_open2(v.ctx, vcodec, nullptr) < 0) return Fail(path, "video encoder");
    if (avcodec_parameters_from_context(v.st->codecpar, v.ctx) < 0) return Fail(path, "video parameters");
    v.st->time_base = v.ctx->time_base;
    v.frame = av_frame_alloc();
    v.pkt = av_packet_alloc();
    if (!v.frame || !v.pkt) return Fail(path, "memory");
    v.frame->format = v.ctx->pix_fmt;
    v.frame->width = clip.width;
    v.frame->height = clip.height;
    if (av_frame_get_buffer(v.frame, 0) < 0) return Fail(path, "memory");
    const int64_t vframes = static_cast<int64_t>(clip.seconds * clip.fps);

    StreamEnc a;
    const int rate = 44100;
    const int64_t aframes = static_cast<int64_t>(clip.seconds * rate);
    if (clip.withAudio) {
        const AVCodec* acodec = avcodec_find_encoder(AV_CODEC_ID_MP2);
        if (!acodec || !OpenAudio(out.oc, a, acodec, rate, 2)) return Fail(path, "audio encoder");
    } else {
        a.done = true;
    }
    if (avformat_write_header(out.oc, nullptr) < 0) return Fail(path, "header");

    const SampleFn tone = [&](int64_t i, int) { return 0.4 * std::sin(2.0 * kPi * 330.0 * i / rate); };
    while (!v.done || !a.done) {
        const bool videoFirst =
            a.done || (!v.done && av_compare_ts(v.next, v.ctx->time_base, a.next, a.ctx->time_base) <= 0);
        if (videoFirst) {
            if (v.next >= vframes) {
                avcodec_send_frame(v.ctx, nullptr);
                v.done = true;
                if (!Drain(out.oc, v)) return Fail(path, "video encoding");
                continue;
            }
            if (av_frame_make_writable(v.frame) < 0) return Fail(path, "memory");
            // A bright bar sweeping over a colour that changes every frame.
            const int bar = static_cast<int>(v.next * 7 % clip.width);
            for (int y = 0; y < clip.height; ++y) {
                uint8_t* row = v.frame->data[0] + y * v.frame->linesize[0];
                for (int x = 0; x < clip.width; ++x) row[x] = (x >= bar && x < bar + 16) ? 235 : 90;
            }
            for (int y = 0; y < clip.height / 2; ++y) {
                for (int x = 0; x < clip.width / 2; ++x) {
                    v.frame->data[1][y * v.frame->linesize[1] + x] = static_cast<uint8_t>(64 + v.next * 5 % 128);
                    v.frame->data[2][y * v.frame->linesize[2] + x] = 160;
                }
            }
            v.frame->pts = v.next++;
            if (avcodec_send_frame(v.ctx, v.frame) < 0 || !Drain(out.oc, v)) return Fail(path, "video encoding");
        } else if (!EncodeAudio(out.oc, a, aframes, tone)) {
            return Fail(path, "audio encoding");
        }
    }
    if (av_write_trailer(out.oc) < 0) return Fail(path, "trailer");
    return true;
}

bool WriteDemoMusic(const std::string& folder) {
    std::string base = folder;
    if (!base.empty() && base.back() != '/') base += '/';
    // A short rising and falling phrase in A minor, played twice.
    const std::vector<Note> phrase = {{440, 300}, {523, 300}, {659, 300}, {880, 600}, {784, 300},
                                      {659, 300}, {587, 300}, {523, 600}, {0, 200},   {494, 300},
                                      {523, 300}, {587, 300}, {440, 900}, {0, 300}};
    std::vector<Note> tune = phrase;
    tune.insert(tune.end(), phrase.begin(), phrase.end());
    return WriteMelody(base + "yy/25_HERO.mp3", tune);
}

} // namespace datagen
