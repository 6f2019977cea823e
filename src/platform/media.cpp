#include "platform/media.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/dict.h>
#include <libavutil/log.h>
#include <libavutil/opt.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "platform/clock.h"
#include "platform/debug.h"
#include "platform/display.h"
#include "platform/fs.h"
#include "platform/present.h"
#include "platform/window.h"

namespace plat {

namespace {

// Ring length: long enough to ride out a slow frame; movies keep less so
// the video frames decoded ahead with the audio stay few.
constexpr uint32_t kRingMsAudio = 2000;
constexpr uint32_t kRingMsMovie = 1000;
constexpr uint16_t kOutChannels = 2;

void QuietFfmpegOnce() {
    static bool done = false;
    if (done) return;
    done = true;
    // The library's own chatter only when debugging; failures are reported
    // through the debugger output below.
    av_log_set_level(std::getenv("VANTREL_DEBUG") ? AV_LOG_WARNING : AV_LOG_QUIET);
}

struct PendingFrame {
    int64_t pos;
    AVFrame* frame;
};

} // namespace

struct MediaDecoder {
    AVFormatContext* fmt = nullptr;
    AVCodecContext* actx = nullptr;
    AVCodecContext* vctx = nullptr;
    int aidx = -1;
    int vidx = -1;
    SwrContext* swr = nullptr;
    SwsContext* sws = nullptr;
    AVPacket* pkt = nullptr;
    AVFrame* frame = nullptr;
    AVFrame* cur = nullptr;  // the video frame on show
    std::deque<PendingFrame> pending;
    int64_t startUs = 0;
    uint32_t outRate = 22050;
    bool eof = false;
    int64_t skipBefore = 0;  // after a seek: data ending earlier is dropped
    std::vector<int16_t> pcm;  // interleaved stereo, not yet in the ring
    size_t pcmRead = 0;

    ~MediaDecoder() {
        ClearVideo();
        av_frame_free(&cur);
        av_frame_free(&frame);
        av_packet_free(&pkt);
        sws_freeContext(sws);
        swr_free(&swr);
        avcodec_free_context(&actx);
        avcodec_free_context(&vctx);
        avformat_close_input(&fmt);
    }

    void ClearVideo() {
        for (auto& p : pending) av_frame_free(&p.frame);
        pending.clear();
    }

    size_t PcmAvailable() const { return pcm.size() - pcmRead; }

    // Position in 100-ns units from the media's start, -1 when unknown.
    int64_t ToPos(int64_t ts, AVRational tb) const {
        if (ts == AV_NOPTS_VALUE) return -1;
        const int64_t us = av_rescale_q(ts, tb, AVRational{1, 1000000});
        return (us - startUs) * 10;
    }

    bool OpenCodec(int idx, AVCodecContext** out) {
        AVStream* st = fmt->streams[idx];
        const AVCodec* codec = avcodec_find_decoder(st->codecpar->codec_id);
        if (!codec) return false;
        AVCodecContext* c = avcodec_alloc_context3(codec);
        if (!c) return false;
        if (avcodec_parameters_to_context(c, st->codecpar) < 0 || avcodec_open2(c, codec, nullptr) < 0) {
            avcodec_free_context(&c);
            return false;
        }
        *out = c;
        return true;
    }

    void AppendAudio(AVFrame* f) {
        const AVStream* st = fmt->streams[aidx];
        const int64_t t = ToPos(f->best_effort_timestamp, st->time_base);
        if (t >= 0 && skipBefore > 0 && f->sample_rate > 0) {
            const int64_t end = t + static_cast<int64_t>(f->nb_samples) * 10000000 / f->sample_rate;
            if (end <= skipBefore) return;
        }
        if (!swr) {
            AVChannelLayout outLayout;
            av_channel_layout_default(&outLayout, kOutChannels);
            AVChannelLayout inLayout;
            if (f->ch_layout.nb_channels > 0) {
                av_channel_layout_copy(&inLayout, &f->ch_layout);
            } else {
                av_channel_layout_default(&inLayout, actx->ch_layout.nb_channels > 0 ? actx->ch_layout.nb_channels : 1);
            }
            const int rc = swr_alloc_set_opts2(&swr, &outLayout, AV_SAMPLE_FMT_S16, static_cast<int>(outRate),
                                               &inLayout, static_cast<AVSampleFormat>(f->format), f->sample_rate, 0,
                                               nullptr);
            av_channel_layout_uninit(&inLayout);
            av_channel_layout_uninit(&outLayout);
            if (rc < 0 || swr_init(swr) < 0) {
                swr_free(&swr);
                return;
            }
        }
        Resample(const_cast<const uint8_t**>(f->extended_data), f->nb_samples);
    }

    void Resample(const uint8_t** in, int count) {
        if (!swr) return;
        const int room = swr_get_out_samples(swr, count);
        if (room <= 0) return;
        const size_t at = pcm.size();
        pcm.resize(at + static_cast<size_t>(room) * kOutChannels);
        uint8_t* out = reinterpret_cast<uint8_t*>(pcm.data() + at);
        const int got = swr_convert(swr, &out, room, in, count);
        pcm.resize(at + static_cast<size_t>(std::max(got, 0)) * kOutChannels);
    }

    void AppendVideo(AVFrame* f) {
        int64_t t = ToPos(f->best_effort_timestamp, fmt->streams[vidx]->time_base);
        if (t < 0) t = pending.empty() ? 0 : pending.back().pos;
        AVFrame* keep = av_frame_alloc();
        if (!keep) return;
        av_frame_move_ref(keep, f);
        pending.push_back({t, keep});
    }

    void Drain(AVCodecContext* c, bool audio) {
        while (avcodec_receive_frame(c, frame) >= 0) {
            if (audio) {
                AppendAudio(frame);
            } else {
                AppendVideo(frame);
            }
            av_frame_unref(frame);
        }
    }

    // Reads and decodes one packet; false at the end of the file.
    bool ReadOne(bool wantAudio) {
        if (eof) return false;
        if (av_read_frame(fmt, pkt) < 0) {
            eof = true;
            if (actx && wantAudio) {
                avcodec_send_packet(actx, nullptr);
                Drain(actx, true);
                Resample(nullptr, 0);
            }
            if (vctx) {
                avcodec_send_packet(vctx, nullptr);
                Drain(vctx, false);
            }
            return false;
        }
        if (pkt->stream_index == aidx && actx && wantAudio) {
            if (avcodec_send_packet(actx, pkt) >= 0) Drain(actx, true);
        } else if (pkt->stream_index == vidx && vctx) {
            if (avcodec_send_packet(vctx, pkt) >= 0) Drain(vctx, false);
        }
        av_packet_unref(pkt);
        return true;
    }

    bool Seek(int64_t pos) {
        const int64_t targetUs = startUs + pos / 10;
        if (av_seek_frame(fmt, -1, targetUs, AVSEEK_FLAG_BACKWARD) < 0 &&
            avformat_seek_file(fmt, -1, INT64_MIN, targetUs, INT64_MAX, 0) < 0) {
            return false;
        }
        if (actx) avcodec_flush_buffers(actx);
        if (vctx) avcodec_flush_buffers(vctx);
        swr_free(&swr);
        pcm.clear();
        pcmRead = 0;
        ClearVideo();
        av_frame_unref(cur);
        eof = false;
        skipBefore = pos;
        return true;
    }

    // Length of the media in 100-ns units; scans the packets when neither
    // the container nor the streams state it.
    int64_t FindDuration() {
        if (fmt->duration != AV_NOPTS_VALUE && fmt->duration > 0) return fmt->duration * 10;
        int64_t best = 0;
        for (int idx : {aidx, vidx}) {
            if (idx < 0) continue;
            const AVStream* st = fmt->streams[idx];
            if (st->duration != AV_NOPTS_VALUE && st->duration > 0) {
                best = std::max(best, av_rescale_q(st->duration, st->time_base, AVRational{1, 10000000}));
            }
        }
        if (best > 0) return best;
        while (av_read_frame(fmt, pkt) >= 0) {
            if (pkt->stream_index == aidx || pkt->stream_index == vidx) {
                const AVStream* st = fmt->streams[pkt->stream_index];
                const int64_t ts = pkt->pts != AV_NOPTS_VALUE ? pkt->pts : pkt->dts;
                const int64_t t = ToPos(ts == AV_NOPTS_VALUE ? AV_NOPTS_VALUE : ts + pkt->duration, st->time_base);
                best = std::max(best, t);
            }
            av_packet_unref(pkt);
        }
        av_seek_frame(fmt, -1, startUs, AVSEEK_FLAG_BACKWARD);
        return best;
    }
};

MediaGraph::MediaGraph() = default;

MediaGraph::~MediaGraph() {
    voice_.reset();
    dec_.reset();
}

bool MediaGraph::IsRendered() const { return dec_ != nullptr; }
bool MediaGraph::HasVideo() const { return dec_ && dec_->vctx; }
bool MediaGraph::HasAudio() const { return dec_ && dec_->actx; }

int32_t MediaGraph::RenderFile(std::string_view path, AudioMixer* mixer) {
    if (dec_) return E_FAIL;
    QuietFfmpegOnce();
    const std::string native = ResolvePath(path);
    auto d = std::make_unique<MediaDecoder>();
    // "file:" keeps a name with a colon from being taken for a protocol.
    const std::string url = "file:" + native;
    AVDictionary* opts = nullptr;
    av_dict_set(&opts, "protocol_whitelist", "file", 0);
    const int rc = avformat_open_input(&d->fmt, url.c_str(), nullptr, &opts);
    av_dict_free(&opts);
    if (rc < 0) {
        DebugPrintf("media: cannot open %s\n", std::string(path).c_str());
        return VFW_E_CANNOT_RENDER;
    }
    if (avformat_find_stream_info(d->fmt, nullptr) < 0) {
        DebugPrintf("media: no stream information in %s\n", std::string(path).c_str());
        return VFW_E_CANNOT_RENDER;
    }
    const int a = av_find_best_stream(d->fmt, AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
    const int v = av_find_best_stream(d->fmt, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    if (a >= 0 && d->OpenCodec(a, &d->actx)) d->aidx = a;
    if (v >= 0 && !(d->fmt->streams[v]->disposition & AV_DISPOSITION_ATTACHED_PIC) && d->OpenCodec(v, &d->vctx)) {
        d->vidx = v;
    }
    if (d->aidx < 0 && d->vidx < 0) {
        DebugPrintf("media: nothing playable in %s\n", std::string(path).c_str());
        return VFW_E_CANNOT_RENDER;
    }
    d->pkt = av_packet_alloc();
    d->frame = av_frame_alloc();
    d->cur = av_frame_alloc();
    if (!d->pkt || !d->frame || !d->cur) return E_OUTOFMEMORY;
    d->startUs = d->fmt->start_time != AV_NOPTS_VALUE ? d->fmt->start_time : 0;
    duration_ = d->FindDuration();

    mixer_ = d->actx ? mixer : nullptr;
    if (mixer_) {
        d->outRate = mixer_->OutputRate();
        WaveFormat wf;
        wf.channels = kOutChannels;
        wf.samplesPerSec = d->outRate;
        wf.bitsPerSample = 16;
        wf.blockAlign = kOutChannels * 2;
        wf.avgBytesPerSec = wf.samplesPerSec * wf.blockAlign;
        const uint32_t ms = d->vctx ? kRingMsMovie : kRingMsAudio;
        ringBytes_ = static_cast<uint32_t>(static_cast<uint64_t>(d->outRate) * ms / 1000) * wf.blockAlign;
        if (mixer_->CreateBuffer(wf, ringBytes_, DSBCAPS_CTRLVOLUME, &voice_) < 0) {
            // No voice: the track still runs, silently.
            voice_.reset();
            mixer_ = nullptr;
        } else {
            voice_->SetVolume(volume_);
        }
    }
    dec_ = std::move(d);
    basePos_ = 0;
    running_ = false;
    return S_OK;
}

int64_t MediaGraph::PositionNow() const {
    if (!running_) return basePos_;
    const uint32_t elapsed = TimeGetTime() - baseMs_;
    return std::min(duration_, basePos_ + static_cast<int64_t>(elapsed) * kMediaUnitsPerMs);
}

int32_t MediaGraph::Run() {
    if (!dec_) return VFW_E_NOT_CONNECTED;
    if (running_) return S_OK;
    running_ = true;
    baseMs_ = TimeGetTime();
    completeRaised_ = false;
    FeedAudio();
    if (voice_) voice_->Play(0, DSBPLAY_LOOPING);
    Update();
    return S_OK;
}

int32_t MediaGraph::Stop() {
    if (!dec_) return VFW_E_NOT_CONNECTED;
    if (!running_) return S_OK;
    basePos_ = PositionNow();
    running_ = false;
    if (voice_) voice_->Stop();
    return S_OK;
}

int32_t MediaGraph::GetDuration(int64_t* duration) const {
    if (!duration) return E_INVALIDARG;
    if (!dec_) return VFW_E_NOT_CONNECTED;
    *duration = duration_;
    return S_OK;
}

int32_t MediaGraph::GetCurrentPosition(int64_t* position) const {
    if (!position) return E_INVALIDARG;
    if (!dec_) return VFW_E_NOT_CONNECTED;
    *position = PositionNow();
    return S_OK;
}

int32_t MediaGraph::SetPositions(int64_t position) {
    if (!dec_) return VFW_E_NOT_CONNECTED;
    if (position < 0 || position > duration_) return E_INVALIDARG;
    if (!dec_->Seek(position)) return E_FAIL;
    basePos_ = position;
    baseMs_ = TimeGetTime();
    completeRaised_ = false;
    ResetRing();
    if (running_) {
        FeedAudio();
        if (voice_) voice_->Play(0, DSBPLAY_LOOPING);
    }
    return S_OK;
}

int32_t MediaGraph::SetVolume(int32_t v) {
    if (!HasAudio()) return E_NOINTERFACE;
    if (v < DSBVOLUME_MIN || v > DSBVOLUME_MAX) return E_INVALIDARG;
    volume_ = v;
    if (voice_) voice_->SetVolume(v);
    return S_OK;
}

int32_t MediaGraph::GetVolume(int32_t* v) const {
    if (!v) return E_INVALIDARG;
    if (!HasAudio()) return E_NOINTERFACE;
    *v = volume_;
    return S_OK;
}

int32_t MediaGraph::SetNotifyWindow(Window* window, uint32_t message, uint32_t lParam) {
    notify_ = window;
    notifyMsg_ = message;
    notifyLParam_ = lParam;
    return S_OK;
}

int32_t MediaGraph::GetEvent(int32_t* code, intptr_t* p1, intptr_t* p2) {
    if (!code || !p1 || !p2) return E_INVALIDARG;
    if (events_.empty()) return E_ABORT;
    *code = events_.front();
    events_.pop_front();
    *p1 = 0;
    *p2 = 0;
    return S_OK;
}

int32_t MediaGraph::FreeEventParams(int32_t, intptr_t, intptr_t) { return S_OK; }

int32_t MediaGraph::SetMessageDrain(Window*) { return HasVideo() ? S_OK : E_NOINTERFACE; }

int32_t MediaGraph::SetOwner(Window* window) {
    if (!HasVideo()) return E_NOINTERFACE;
    owner_ = window;
    return S_OK;
}

int32_t MediaGraph::SetVisible(bool visible) {
    if (!HasVideo()) return E_NOINTERFACE;
    visible_ = visible;
    if (visible) frameDirty_ = true;
    return S_OK;
}

int32_t MediaGraph::GetVideoSize(int32_t* width, int32_t* height) const {
    if (!width || !height) return E_INVALIDARG;
    if (!HasVideo()) return E_NOINTERFACE;
    *width = dec_->vctx->width;
    *height = dec_->vctx->height;
    return S_OK;
}

int32_t MediaGraph::SetWindowPosition(int32_t x, int32_t y, int32_t width, int32_t height) {
    if (!HasVideo()) return E_NOINTERFACE;
    if (width < 0 || height < 0) return E_INVALIDARG;
    winX_ = x;
    winY_ = y;
    winW_ = width;
    winH_ = height;
    frameDirty_ = true;
    return S_OK;
}

int32_t MediaGraph::GetWindowPosition(int32_t* x, int32_t* y, int32_t* width, int32_t* height) const {
    if (!x || !y || !width || !height) return E_INVALIDARG;
    if (!HasVideo()) return E_NOINTERFACE;
    *x = winX_;
    *y = winY_;
    *width = winW_;
    *height = winH_;
    return S_OK;
}

int32_t MediaGraph::HideCursor(bool hide) {
    if (!HasVideo()) return E_NOINTERFACE;
    cursorHidden_ = hide;
    return S_OK;
}

int32_t MediaGraph::NotifyOwnerMessage(Window*, uint32_t, uint32_t, uint32_t) {
    return HasVideo() ? S_OK : E_NOINTERFACE;
}

void MediaGraph::ResetRing() {
    if (!voice_) return;
    voice_->Stop();
    voice_->SetCurrentPosition(0);
    void* p1 = nullptr;
    void* p2 = nullptr;
    uint32_t b1 = 0, b2 = 0;
    if (voice_->Lock(0, 0, &p1, &b1, &p2, &b2, DSBLOCK_ENTIREBUFFER) >= 0) {
        std::memset(p1, 0, b1);
        voice_->Unlock(p1, b1, p2, b2);
    }
    ringWrite_ = 0;
    ringBuffered_ = 0;
    ringLastPlay_ = 0;
}

void MediaGraph::FeedAudio() {
    if (!voice_ || !dec_) return;
    uint32_t play = 0;
    voice_->GetCurrentPosition(&play, nullptr);
    const uint32_t consumed = (play + ringBytes_ - ringLastPlay_) % ringBytes_;
    ringLastPlay_ = play;
    if (consumed >= ringBuffered_) {
        // Ran dry (or just started): new samples go where the cursor is.
        ringBuffered_ = 0;
        ringWrite_ = play;
    } else {
        ringBuffered_ -= consumed;
    }
    uint32_t space = ringBytes_ - ringBuffered_;
    space -= space % (kOutChannels * 2);
    if (space == 0) return;
    const size_t wantSamples = space / 2;
    while (dec_->PcmAvailable() < wantSamples && dec_->ReadOne(true)) {
    }
    void* p1 = nullptr;
    void* p2 = nullptr;
    uint32_t b1 = 0, b2 = 0;
    if (voice_->Lock(ringWrite_, space, &p1, &b1, &p2, &b2, 0) < 0) return;
    // After the end of the media the ring is filled with silence, so a
    // finished track never replays old samples.
    auto put = [&](void* dst, uint32_t bytes) {
        const size_t n = std::min<size_t>(bytes / 2, dec_->PcmAvailable());
        std::memcpy(dst, dec_->pcm.data() + dec_->pcmRead, n * 2);
        std::memset(static_cast<uint8_t*>(dst) + n * 2, 0, bytes - n * 2);
        dec_->pcmRead += n;
        decodedAudio_ += static_cast<int64_t>(n / kOutChannels);
    };
    put(p1, b1);
    if (p2 && b2) put(p2, b2);
    voice_->Unlock(p1, b1, p2, b2);
    ringWrite_ = (ringWrite_ + space) % ringBytes_;
    ringBuffered_ += space;
    if (dec_->pcmRead > 65536) {
        dec_->pcm.erase(dec_->pcm.begin(), dec_->pcm.begin() + static_cast<std::ptrdiff_t>(dec_->pcmRead));
        dec_->pcmRead = 0;
    }
}

void MediaGraph::AdvanceVideo(int64_t position) {
    for (;;) {
        // The first picture shows at once, even when its stamp is a little
        // later than the start.
        while (!dec_->pending.empty() && (dec_->pending.front().pos <= position || !dec_->cur->data[0])) {
            av_frame_unref(dec_->cur);
            av_frame_move_ref(dec_->cur, dec_->pending.front().frame);
            av_frame_free(&dec_->pending.front().frame);
            dec_->pending.pop_front();
            frameDirty_ = true;
        }
        if (!dec_->pending.empty() || dec_->eof) break;
        if (!dec_->ReadOne(voice_ != nullptr)) break;
    }
}

void MediaGraph::PresentFrame() {
    frameDirty_ = false;
    Presenter* presenter = GetDisplayPresenter();
    AVFrame* f = dec_->cur;
    // Headless without a presenter: decoded and dropped.
    if (!presenter || !f || f->width <= 0 || f->height <= 0) return;
    int32_t sw = 0, sh = 0;
    if (!GetDisplayModeSize(&sw, &sh)) {
        if (owner_) {
            sw = owner_->Width();
            sh = owner_->Height();
        } else {
            sw = winX_ + winW_;
            sh = winY_ + winH_;
        }
    }
    if (sw <= 0 || sh <= 0 || winW_ <= 0 || winH_ <= 0) return;
    const PixelLayout layout = GetDisplayLayout();
    const AVPixelFormat dstFmt = layout == PixelLayout::k565 ? AV_PIX_FMT_RGB565 : AV_PIX_FMT_RGB555;
    dec_->sws = sws_getCachedContext(dec_->sws, f->width, f->height, static_cast<AVPixelFormat>(f->format), winW_,
                                     winH_, dstFmt, SWS_BILINEAR, nullptr, nullptr, nullptr);
    if (!dec_->sws) return;
    std::vector<uint16_t> scaled(static_cast<size_t>(winW_) * winH_);
    uint8_t* dst[4] = {reinterpret_cast<uint8_t*>(scaled.data()), nullptr, nullptr, nullptr};
    int dstStride[4] = {winW_ * 2, 0, 0, 0};
    sws_scale(dec_->sws, f->data, f->linesize, 0, f->height, dst, dstStride);
    screen_.assign(static_cast<size_t>(sw) * sh, 0);
    const int32_t x0 = std::max(0, winX_), y0 = std::max(0, winY_);
    const int32_t x1 = std::min(sw, winX_ + winW_), y1 = std::min(sh, winY_ + winH_);
    for (int32_t y = y0; y < y1; ++y) {
        const uint16_t* src = scaled.data() + static_cast<size_t>(y - winY_) * winW_ + (x0 - winX_);
        std::copy(src, src + (x1 - x0), screen_.data() + static_cast<size_t>(y) * sw + x0);
    }
    Frame out;
    out.width = sw;
    out.height = sh;
    out.pitch = sw * 2;
    out.pixels = reinterpret_cast<const uint8_t*>(screen_.data());
    out.layout = layout;
    if (DisplayDevice* dev = CurrentDisplayDevice(); dev && !dev->GammaIsIdentity()) out.gamma = &dev->Gamma();
    if (presenter->Present(out)) ++presented_;
    ForgetPresentedFrame();
}

void MediaGraph::Complete() {
    completeRaised_ = true;
    events_.push_back(EC_COMPLETE);
    if (notify_) PostMessage(notify_, notifyMsg_, 0, notifyLParam_);
}

void MediaGraph::Update() {
    if (!dec_ || !running_) return;
    const int64_t pos = PositionNow();
    FeedAudio();
    if (HasVideo()) {
        AdvanceVideo(pos);
        if (frameDirty_ && visible_) PresentFrame();
    }
    if (pos >= duration_ && !completeRaised_) Complete();
}

} // namespace plat
