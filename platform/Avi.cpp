#include "platform/Avi.h"

#include "platform/MediaFileName.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/imgutils.h>
#include <libavutil/opt.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace platform {

uint32_t ReadLe32(const void* block, size_t offset) {
    const auto* p = static_cast<const uint8_t*>(block) + offset;
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

uint16_t ReadLe16(const void* block, size_t offset) {
    const auto* p = static_cast<const uint8_t*>(block) + offset;
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

void WriteLe32(void* block, size_t offset, uint32_t value) {
    auto* p = static_cast<uint8_t*>(block) + offset;
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<uint8_t>(value >> (8 * i));
}

void WriteLe16(void* block, size_t offset, uint16_t value) {
    auto* p = static_cast<uint8_t*>(block) + offset;
    p[0] = static_cast<uint8_t>(value);
    p[1] = static_cast<uint8_t>(value >> 8);
}

namespace {

constexpr uint32_t kMaxHeaderBytes = 1u << 20;
constexpr size_t kMaxPcmBytes = 64u << 20;
constexpr int kMaxDimension = 8192;

// One stream list of the file's header: the stream header as written and the format chunk.
struct StreamHeader {
    AVISTREAMINFO info;
    std::vector<uint8_t> format;
};

bool ReadExact(FILE* f, void* out, size_t n) {
    return std::fread(out, 1, n, f) == n;
}

// Reads the "hdrl" list of a RIFF AVI: stream headers and formats exactly as stored.
bool ReadStreamHeaders(const std::string& path, std::vector<StreamHeader>& streams) {
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return false;
    std::vector<uint8_t> hdrl;
    uint8_t head[12];
    bool ok =
        ReadExact(f, head, 12) && std::memcmp(head, "RIFF", 4) == 0 && std::memcmp(head + 8, "AVI ", 4) == 0;
    while (ok) {
        uint8_t ck[12];
        if (!ReadExact(f, ck, 8)) {
            ok = false;
            break;
        }
        uint32_t size = ReadLe32(ck, 4);
        if (std::memcmp(ck, "LIST", 4) == 0 && size >= 4) {
            if (!ReadExact(f, ck + 8, 4)) {
                ok = false;
                break;
            }
            if (std::memcmp(ck + 8, "hdrl", 4) == 0) {
                if (size - 4 > kMaxHeaderBytes) {
                    ok = false;
                    break;
                }
                hdrl.resize(size - 4);
                ok = ReadExact(f, hdrl.data(), hdrl.size());
                break;
            }
            size -= 4;
        }
        if (std::fseek(f, static_cast<long>(size + (size & 1)), SEEK_CUR) != 0) ok = false;
    }
    std::fclose(f);
    if (!ok) return false;

    // Walk the header list for "strl" lists.
    size_t pos = 0;
    while (pos + 8 <= hdrl.size()) {
        uint32_t size = ReadLe32(hdrl.data(), pos + 4);
        size_t body = pos + 8;
        if (size > hdrl.size() - body) break;
        if (std::memcmp(&hdrl[pos], "LIST", 4) == 0 && size >= 4 &&
            std::memcmp(&hdrl[body], "strl", 4) == 0) {
            StreamHeader stream;
            bool haveHeader = false;
            size_t sub = body + 4;
            size_t end = body + size;
            while (sub + 8 <= end) {
                uint32_t subSize = ReadLe32(hdrl.data(), sub + 4);
                size_t data = sub + 8;
                if (subSize > end - data) break;
                const uint8_t* p = &hdrl[data];
                if (std::memcmp(&hdrl[sub], "strh", 4) == 0 && subSize >= 48) {
                    AVISTREAMINFO& i = stream.info;
                    i.fccType = ReadLe32(p, 0);
                    i.fccHandler = ReadLe32(p, 4);
                    i.dwFlags = ReadLe32(p, 8);
                    i.wPriority = ReadLe16(p, 12);
                    i.wLanguage = ReadLe16(p, 14);
                    i.dwInitialFrames = ReadLe32(p, 16);
                    i.dwScale = ReadLe32(p, 20);
                    i.dwRate = ReadLe32(p, 24);
                    i.dwStart = ReadLe32(p, 28);
                    i.dwLength = ReadLe32(p, 32);
                    i.dwSuggestedBufferSize = ReadLe32(p, 36);
                    i.dwQuality = ReadLe32(p, 40);
                    i.dwSampleSize = ReadLe32(p, 44);
                    if (subSize >= 56)
                        for (int k = 0; k < 4; ++k)
                            i.rcFrame[k] = static_cast<int16_t>(ReadLe16(p, 48 + 2 * k));
                    haveHeader = true;
                } else if (std::memcmp(&hdrl[sub], "strf", 4) == 0) {
                    stream.format.assign(p, p + subSize);
                }
                sub = data + subSize + (subSize & 1);
            }
            if (!haveHeader) return false;
            streams.push_back(std::move(stream));
        }
        pos = body + size + (size & 1);
    }
    return !streams.empty();
}

} // namespace

struct AviStream {
    AVFormatContext* container = nullptr;
    int index = -1;
    AVISTREAMINFO info;
    std::vector<uint8_t> format;
    bool audio = false;
    // Video: the next frame a plain read gives without seeking.
    int64_t nextFrame = 0;
    AVPacket* packet = nullptr;
    // Audio: the whole track as 16-bit PCM, decoded on first use.
    bool decoded = false;
    bool decodeFailed = false;
    std::vector<uint8_t> pcm;
    uint16_t channels = 0;
    uint32_t sampleRate = 0;

    ~AviStream() {
        av_packet_free(&packet);
        avformat_close_input(&container);
    }

    uint16_t BlockAlign() const { return static_cast<uint16_t>(channels * 2); }

    bool DecodeAudio();
    // Reads frame n's packet into `packet`; false when the file has no such frame.
    bool ReadVideoPacket(int64_t n);
};

bool AviStream::DecodeAudio() {
    if (decoded) return !decodeFailed;
    decoded = true;
    decodeFailed = true;
    AVStream* st = container->streams[index];
    const AVCodec* codec = avcodec_find_decoder(st->codecpar->codec_id);
    if (!codec) return false;
    AVCodecContext* ctx = avcodec_alloc_context3(codec);
    AVFrame* frame = av_frame_alloc();
    AVPacket* pkt = av_packet_alloc();
    SwrContext* swr = nullptr;
    bool ok = ctx && frame && pkt && avcodec_parameters_to_context(ctx, st->codecpar) >= 0 &&
              avcodec_open2(ctx, codec, nullptr) >= 0 && ctx->sample_rate > 0 &&
              ctx->ch_layout.nb_channels > 0;
    if (ok) {
        if (ctx->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC) {
            int n = ctx->ch_layout.nb_channels;
            av_channel_layout_uninit(&ctx->ch_layout);
            av_channel_layout_default(&ctx->ch_layout, n);
        }
        channels = static_cast<uint16_t>(std::min(ctx->ch_layout.nb_channels, 2));
        sampleRate = static_cast<uint32_t>(ctx->sample_rate);
        AVChannelLayout outLayout;
        av_channel_layout_default(&outLayout, channels);
        ok = swr_alloc_set_opts2(&swr, &outLayout, AV_SAMPLE_FMT_S16, ctx->sample_rate, &ctx->ch_layout,
                                 ctx->sample_fmt, ctx->sample_rate, 0, nullptr) >= 0 &&
             swr_init(swr) >= 0;
        av_channel_layout_uninit(&outLayout);
    }
    auto drain = [&]() {
        while (avcodec_receive_frame(ctx, frame) >= 0) {
            int outSamples = swr_get_out_samples(swr, frame->nb_samples);
            if (outSamples > 0 && pcm.size() < kMaxPcmBytes) {
                size_t at = pcm.size();
                pcm.resize(at + static_cast<size_t>(outSamples) * BlockAlign());
                uint8_t* out = pcm.data() + at;
                int got = swr_convert(swr, &out, outSamples,
                                      const_cast<const uint8_t**>(frame->extended_data), frame->nb_samples);
                pcm.resize(at + static_cast<size_t>(std::max(got, 0)) * BlockAlign());
            }
            av_frame_unref(frame);
        }
    };
    if (ok) {
        av_seek_frame(container, index, 0, AVSEEK_FLAG_BACKWARD);
        while (av_read_frame(container, pkt) >= 0) {
            if (pkt->stream_index == index && avcodec_send_packet(ctx, pkt) >= 0) drain();
            av_packet_unref(pkt);
        }
        avcodec_send_packet(ctx, nullptr);
        drain();
        decodeFailed = false;
    }
    swr_free(&swr);
    av_packet_free(&pkt);
    av_frame_free(&frame);
    avcodec_free_context(&ctx);
    return !decodeFailed;
}

bool AviStream::ReadVideoPacket(int64_t n) {
    if (!packet) packet = av_packet_alloc();
    if (!packet) return false;
    if (n != nextFrame) {
        if (av_seek_frame(container, index, n, AVSEEK_FLAG_ANY | AVSEEK_FLAG_BACKWARD) < 0) return false;
        nextFrame = -1;
    }
    for (int guard = 0; guard < 100000; ++guard) {
        av_packet_unref(packet);
        if (av_read_frame(container, packet) < 0) return false;
        if (packet->stream_index != index) continue;
        int64_t at = packet->dts != AV_NOPTS_VALUE ? packet->dts : packet->pts;
        if (at == AV_NOPTS_VALUE) at = nextFrame >= 0 ? nextFrame : n;
        nextFrame = at + 1;
        if (at < n) continue;
        return at == n;
    }
    return false;
}

void AVIFileInit() {}
void AVIFileExit() {}

HRESULT AVIStreamOpenFromFile(PAVISTREAM* out, const char* file, FOURCC type, int32_t number, uint32_t,
                              void*) {
    if (!out) return AVIERR_BADFORMAT;
    *out = nullptr;
    if (!file || number < 0 || (type != streamtypeVIDEO && type != streamtypeAUDIO)) return AVIERR_BADFORMAT;
    std::string path = ResolveMediaFileName(file);
    std::vector<StreamHeader> headers;
    if (!ReadStreamHeaders(path, headers)) return AVIERR_FILEOPEN;

    // The n-th stream of the type, and its place among all streams.
    int position = -1, seen = 0;
    for (size_t i = 0; i < headers.size(); ++i) {
        if (headers[i].info.fccType != type) continue;
        if (seen++ == number) {
            position = static_cast<int>(i);
            break;
        }
    }
    if (position < 0) return AVIERR_NODATA;

    auto* stream = new AviStream;
    stream->info = headers[position].info;
    stream->format = headers[position].format;
    stream->audio = type == streamtypeAUDIO;
    av_log_set_level(AV_LOG_QUIET);
    if (avformat_open_input(&stream->container, path.c_str(), av_find_input_format("avi"), nullptr) < 0 ||
        avformat_find_stream_info(stream->container, nullptr) < 0 ||
        position >= static_cast<int>(stream->container->nb_streams) ||
        stream->container->streams[position]->codecpar->codec_type !=
            (stream->audio ? AVMEDIA_TYPE_AUDIO : AVMEDIA_TYPE_VIDEO)) {
        delete stream;
        return AVIERR_FILEREAD;
    }
    stream->index = position;
    for (unsigned i = 0; i < stream->container->nb_streams; ++i)
        if (static_cast<int>(i) != position) stream->container->streams[i]->discard = AVDISCARD_ALL;
    if (!stream->audio) {
        // The block's size word counts what follows the header too, so a decoder finds its extra data.
        if (stream->format.size() < kBitmapInfoHeaderBytes) {
            delete stream;
            return AVIERR_BADFORMAT;
        }
        WriteLe32(stream->format.data(), kBmiSize, static_cast<uint32_t>(stream->format.size()));
    }
    *out = stream;
    return AVIERR_OK;
}

uint32_t AVIStreamRelease(PAVISTREAM stream) {
    delete stream;
    return 0;
}

HRESULT AVIStreamReadFormat(PAVISTREAM stream, int32_t, void* format, int32_t* size) {
    if (!stream || !size) return AVIERR_BADFORMAT;
    uint8_t wave[kWaveFormatExBytes] = {};
    const uint8_t* block = stream->format.data();
    size_t bytes = stream->format.size();
    if (stream->audio) {
        if (!stream->DecodeAudio()) return AVIERR_BADFORMAT;
        WriteLe16(wave, kWfxFormatTag, 1);
        WriteLe16(wave, kWfxChannels, stream->channels);
        WriteLe32(wave, kWfxSamplesPerSec, stream->sampleRate);
        WriteLe32(wave, kWfxAvgBytesPerSec, stream->sampleRate * stream->BlockAlign());
        WriteLe16(wave, kWfxBlockAlign, stream->BlockAlign());
        WriteLe16(wave, kWfxBitsPerSample, 16);
        block = wave;
        bytes = sizeof wave;
    }
    if (format) {
        if (*size < 0) return AVIERR_BUFFERTOOSMALL;
        std::memcpy(format, block, std::min(bytes, static_cast<size_t>(*size)));
    }
    *size = static_cast<int32_t>(bytes);
    return AVIERR_OK;
}

HRESULT AVIStreamInfo(PAVISTREAM stream, AVISTREAMINFO* info, int32_t) {
    if (!stream || !info) return AVIERR_BADFORMAT;
    *info = stream->info;
    if (stream->audio && stream->DecodeAudio()) {
        info->dwScale = 1;
        info->dwRate = stream->sampleRate;
        info->dwSampleSize = stream->BlockAlign();
        info->dwLength = static_cast<uint32_t>(stream->pcm.size() / stream->BlockAlign());
        if (!info->dwSuggestedBufferSize)
            info->dwSuggestedBufferSize = stream->sampleRate * stream->BlockAlign();
    }
    return AVIERR_OK;
}

int32_t AVIStreamLength(PAVISTREAM stream) {
    if (!stream) return -1;
    if (stream->audio)
        return stream->DecodeAudio() ? static_cast<int32_t>(stream->pcm.size() / stream->BlockAlign()) : 0;
    return static_cast<int32_t>(std::min<uint32_t>(stream->info.dwLength, INT32_MAX));
}

HRESULT AVIStreamRead(PAVISTREAM stream, int32_t start, int32_t samples, void* buffer, int32_t bufferSize,
                      int32_t* bytesRead, int32_t* samplesRead) {
    if (bytesRead) *bytesRead = 0;
    if (samplesRead) *samplesRead = 0;
    if (!stream || start < 0 || samples < 0 || bufferSize < 0) return AVIERR_BADFORMAT;
    if (stream->audio) {
        if (!stream->DecodeAudio()) return AVIERR_FILEREAD;
        size_t align = stream->BlockAlign();
        size_t total = stream->pcm.size() / align;
        size_t first = std::min<size_t>(static_cast<size_t>(start), total);
        size_t count = std::min<size_t>(static_cast<size_t>(samples), total - first);
        if (buffer) count = std::min(count, static_cast<size_t>(bufferSize) / align);
        if (buffer && count) std::memcpy(buffer, stream->pcm.data() + first * align, count * align);
        if (bytesRead) *bytesRead = static_cast<int32_t>(count * align);
        if (samplesRead) *samplesRead = static_cast<int32_t>(count);
        return AVIERR_OK;
    }
    if (!stream->ReadVideoPacket(start)) return AVIERR_NODATA;
    int32_t size = stream->packet->size;
    if (buffer) {
        if (size > bufferSize) return AVIERR_BUFFERTOOSMALL;
        if (size) std::memcpy(buffer, stream->packet->data, static_cast<size_t>(size));
    }
    if (bytesRead) *bytesRead = size;
    if (samplesRead) *samplesRead = 1;
    return AVIERR_OK;
}

struct Decompressor {
    AVCodecContext* codec = nullptr;
    AVFrame* frame = nullptr;
    AVPacket* packet = nullptr;
    SwsContext* scaler = nullptr;
    AVPixelFormat outFormat = AV_PIX_FMT_NONE;
    int width = 0;
    int height = 0;
    bool began = false;
    uint8_t* picture[4] = {};
    int pictureStride[4] = {};

    ~Decompressor() {
        av_freep(&picture[0]);
        sws_freeContext(scaler);
        av_packet_free(&packet);
        av_frame_free(&frame);
        avcodec_free_context(&codec);
    }
};

namespace {

// The pixel layout an output format block asks for.
AVPixelFormat OutputPixelFormat(const void* out) {
    uint32_t compression = ReadLe32(out, kBmiCompression);
    switch (ReadLe16(out, kBmiBitCount)) {
    case 16:
        if (compression == BI_RGB) return AV_PIX_FMT_RGB555LE;
        if (compression != BI_BITFIELDS) return AV_PIX_FMT_NONE;
        if (ReadLe32(out, kBmiRedMask) == 0xF800 && ReadLe32(out, kBmiGreenMask) == 0x07E0 &&
            ReadLe32(out, kBmiBlueMask) == 0x001F)
            return AV_PIX_FMT_RGB565LE;
        if (ReadLe32(out, kBmiRedMask) == 0x7C00 && ReadLe32(out, kBmiGreenMask) == 0x03E0 &&
            ReadLe32(out, kBmiBlueMask) == 0x001F)
            return AV_PIX_FMT_RGB555LE;
        return AV_PIX_FMT_NONE;
    case 24:
        return compression == BI_RGB ? AV_PIX_FMT_BGR24 : AV_PIX_FMT_NONE;
    case 8:
        return compression == BI_RGB ? AV_PIX_FMT_GRAY8 : AV_PIX_FMT_NONE;
    default:
        return AV_PIX_FMT_NONE;
    }
}

int BytesPerPixel(AVPixelFormat f) {
    return f == AV_PIX_FMT_BGR24 ? 3 : f == AV_PIX_FMT_GRAY8 ? 1 : 2;
}

} // namespace

HIC ICLocate(FOURCC type, FOURCC handler, const void* in, const void* out, uint32_t mode) {
    if (type != ICTYPE_VIDEO || mode != ICMODE_DECOMPRESS || !in || !out) return nullptr;
    uint32_t inSize = ReadLe32(in, kBmiSize);
    int32_t width = static_cast<int32_t>(ReadLe32(in, kBmiWidth));
    int32_t height = static_cast<int32_t>(ReadLe32(in, kBmiHeight));
    uint16_t bits = ReadLe16(in, kBmiBitCount);
    uint32_t compression = ReadLe32(in, kBmiCompression);
    if (inSize < kBitmapInfoHeaderBytes || inSize > kMaxHeaderBytes || width <= 0 || width > kMaxDimension ||
        height == 0 || height < -kMaxDimension || height > kMaxDimension)
        return nullptr;
    if (ReadLe32(out, kBmiWidth) != static_cast<uint32_t>(width) ||
        static_cast<int32_t>(ReadLe32(out, kBmiHeight)) != std::abs(height))
        return nullptr;
    AVPixelFormat outFormat = OutputPixelFormat(out);
    if (outFormat == AV_PIX_FMT_NONE) return nullptr;

    AVCodecID id = AV_CODEC_ID_NONE;
    if (compression == BI_RGB || compression == BI_BITFIELDS)
        id = AV_CODEC_ID_RAWVIDEO;
    else {
        const AVCodecTag* const tags[] = {avformat_get_riff_video_tags(), nullptr};
        id = av_codec_get_id(tags, compression);
        if (id == AV_CODEC_ID_NONE) id = av_codec_get_id(tags, handler);
    }
    const AVCodec* codec = id == AV_CODEC_ID_NONE ? nullptr : avcodec_find_decoder(id);
    if (!codec) return nullptr;

    auto* d = new Decompressor;
    d->codec = avcodec_alloc_context3(codec);
    d->frame = av_frame_alloc();
    d->packet = av_packet_alloc();
    d->outFormat = outFormat;
    d->width = width;
    d->height = std::abs(height);
    if (!d->codec || !d->frame || !d->packet) {
        delete d;
        return nullptr;
    }
    d->codec->width = width;
    d->codec->height = std::abs(height);
    d->codec->bits_per_coded_sample = bits;
    d->codec->codec_tag = compression;
    d->codec->thread_count = 1;
    // Extra data: what follows the header, and for plain RGB the mark of a bottom-up picture.
    std::vector<uint8_t> extra(static_cast<const uint8_t*>(in) + kBitmapInfoHeaderBytes,
                               static_cast<const uint8_t*>(in) + inSize);
    if (id == AV_CODEC_ID_RAWVIDEO && height > 0)
        extra.insert(extra.end(), {'B', 'o', 't', 't', 'o', 'm', 'U', 'p', 0});
    if (!extra.empty()) {
        d->codec->extradata = static_cast<uint8_t*>(av_mallocz(extra.size() + AV_INPUT_BUFFER_PADDING_SIZE));
        if (d->codec->extradata) {
            std::memcpy(d->codec->extradata, extra.data(), extra.size());
            d->codec->extradata_size = static_cast<int>(extra.size());
        }
    }
    if (avcodec_open2(d->codec, codec, nullptr) < 0) {
        delete d;
        return nullptr;
    }
    return d;
}

intptr_t ICSendMessage(HIC d, uint32_t message, uintptr_t, uintptr_t) {
    if (!d) return ICERR_ERROR;
    switch (message) {
    case ICM_DECOMPRESS_BEGIN:
        d->began = true;
        return ICERR_OK;
    case ICM_DECOMPRESS_END:
        d->began = false;
        avcodec_flush_buffers(d->codec);
        return ICERR_OK;
    default:
        return ICERR_ERROR;
    }
}

int32_t ICDecompress(HIC d, uint32_t, const void* inFormat, const void* inData, const void* outFormat,
                     void* outData) {
    if (!d || !inFormat || !outFormat || !outData) return ICERR_ERROR;
    uint32_t size = ReadLe32(inFormat, kBmiSizeImage);
    if (size == 0) return ICERR_OK; // an empty frame repeats the last one
    if (!inData || size > (1u << 28)) return ICERR_ERROR;
    int32_t height = static_cast<int32_t>(ReadLe32(outFormat, kBmiHeight));
    uint32_t imageSize = ReadLe32(outFormat, kBmiSizeImage);
    if (height != d->height || static_cast<int32_t>(ReadLe32(outFormat, kBmiWidth)) != d->width ||
        OutputPixelFormat(outFormat) != d->outFormat)
        return ICERR_BADFORMAT;
    int stride = static_cast<int>(imageSize / static_cast<uint32_t>(height));
    if (stride < d->width * BytesPerPixel(d->outFormat)) return ICERR_BADFORMAT;

    std::vector<uint8_t> padded(size + AV_INPUT_BUFFER_PADDING_SIZE, 0);
    std::memcpy(padded.data(), inData, size);
    av_packet_unref(d->packet);
    d->packet->data = padded.data();
    d->packet->size = static_cast<int>(size);
    int sent = avcodec_send_packet(d->codec, d->packet);
    d->packet->data = nullptr;
    d->packet->size = 0;
    if (sent < 0) return ICERR_ERROR;
    int got = avcodec_receive_frame(d->codec, d->frame);
    if (got == AVERROR(EAGAIN)) return ICERR_OK;
    if (got < 0) return ICERR_ERROR;
    AVFrame* f = d->frame;
    d->scaler = sws_getCachedContext(d->scaler, f->width, f->height, static_cast<AVPixelFormat>(f->format),
                                     d->width, d->height, d->outFormat, SWS_POINT, nullptr, nullptr, nullptr);
    int32_t result = ICERR_ERROR;
    // The scaler may write past the end of a row, so it fills a padded picture of its own and
    // only whole rows are copied out, the picture's first row to the buffer's last.
    if (d->scaler && !d->picture[0] &&
        av_image_alloc(d->picture, d->pictureStride, d->width, d->height, d->outFormat, 64) < 0)
        d->picture[0] = nullptr;
    if (d->scaler && d->picture[0] &&
        sws_scale(d->scaler, f->data, f->linesize, 0, f->height, d->picture, d->pictureStride) == d->height) {
        size_t rowBytes = static_cast<size_t>(d->width) * BytesPerPixel(d->outFormat);
        for (int y = 0; y < d->height; ++y)
            std::memcpy(static_cast<uint8_t*>(outData) + static_cast<size_t>(stride) * (d->height - 1 - y),
                        d->picture[0] + static_cast<size_t>(d->pictureStride[0]) * y, rowBytes);
        result = ICERR_OK;
    }
    av_frame_unref(f);
    return result;
}

int32_t ICClose(HIC d) {
    delete d;
    return ICERR_OK;
}

} // namespace platform
