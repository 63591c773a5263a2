#include "MediaFixtures.h"

#include <archive.h>
#include <archive_entry.h>
#include <taglib/fileref.h>
#include <taglib/tag.h>

#include <libheif/heif.h>
#include <exiv2/exiv2.hpp>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/opt.h>
}

#include <QBuffer>
#include <QColor>
#include <QImage>
#include <QImageWriter>
#include <QPainter>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace karvio::testing {

namespace {

bool Complain(const std::string& what) {
    std::fprintf(stderr, "test fixture: %s\n", what.c_str());
    return false;
}

}  // namespace

bool WriteArchive(const std::string& path, const std::string& format, const std::string& filter,
                  const std::vector<FixtureMember>& members, const std::string& passphrase) {
    struct archive* a = archive_write_new();
    int rc = ARCHIVE_OK;
    if (format == "zip")
        rc = archive_write_set_format_zip(a);
    else if (format == "7zip")
        rc = archive_write_set_format_7zip(a);
    else if (format == "pax")
        rc = archive_write_set_format_pax_restricted(a);
    else if (format == "ustar")
        rc = archive_write_set_format_ustar(a);
    else if (format == "iso9660")
        rc = archive_write_set_format_iso9660(a);
    else if (format == "cpio")
        rc = archive_write_set_format_cpio_newc(a);
    else
        rc = ARCHIVE_FATAL;
    if (rc == ARCHIVE_OK && filter == "gzip") rc = archive_write_add_filter_gzip(a);
    if (rc == ARCHIVE_OK && filter == "bzip2") rc = archive_write_add_filter_bzip2(a);
    if (rc == ARCHIVE_OK && filter == "xz") rc = archive_write_add_filter_xz(a);
    if (rc == ARCHIVE_OK && !passphrase.empty()) {
        rc = archive_write_set_options(a, "zip:encryption=zipcrypt");
        if (rc == ARCHIVE_OK) rc = archive_write_set_passphrase(a, passphrase.c_str());
    }
    if (rc == ARCHIVE_OK) rc = archive_write_open_filename(a, path.c_str());
    for (const FixtureMember& m : members) {
        if (rc != ARCHIVE_OK) break;
        archive_entry* e = archive_entry_new();
        archive_entry_set_pathname(e, m.path.c_str());
        const bool dir = !m.path.empty() && m.path.back() == '/';
        archive_entry_set_filetype(e, dir ? AE_IFDIR : AE_IFREG);
        archive_entry_set_perm(e, dir ? 0755 : 0644);
        archive_entry_set_size(e, dir ? 0 : static_cast<la_int64_t>(m.content.size()));
        archive_entry_set_mtime(e, m.mtime, 0);
        rc = archive_write_header(a, e);
        if (rc == ARCHIVE_OK && !dir && !m.content.empty() &&
            archive_write_data(a, m.content.data(), m.content.size()) < 0) {
            rc = ARCHIVE_FATAL;
        }
        archive_entry_free(e);
    }
    const std::string error = archive_error_string(a) ? archive_error_string(a) : "";
    const bool closed = archive_write_close(a) == ARCHIVE_OK;
    archive_write_free(a);
    if (rc != ARCHIVE_OK || !closed) return Complain("archive " + path + ": " + error);
    return true;
}

QImage FixturePicture(const FixturePhoto& photo) {
    QImage image(photo.width, photo.height,
                 photo.alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    image.fill(photo.alpha ? Qt::transparent : QColor(30, 90, 160));
    QPainter p(&image);
    p.fillRect(0, 0, photo.width / 2, photo.height / 3, QColor(240, 200, 40));
    p.fillRect(photo.width / 2, photo.height / 2, photo.width / 2, photo.height / 2,
               QColor(20, 140, 60));
    return image;
}

bool WritePhoto(const std::string& path, const FixturePhoto& photo) {
    const QImage image = FixturePicture(photo);
    QImageWriter writer(QString::fromStdString(path), photo.alpha ? "png" : "jpeg");
    if (!writer.write(image))
        return Complain("photo " + path + ": " + writer.errorString().toStdString());
    return TagPhoto(path, photo);
}

bool TagPhoto(const std::string& path, const FixturePhoto& photo) {
    try {
        auto img = Exiv2::ImageFactory::open(path);
        img->readMetadata();
        Exiv2::ExifData& exif = img->exifData();
        if (!photo.make.empty()) exif["Exif.Image.Make"] = photo.make;
        if (!photo.model.empty()) exif["Exif.Image.Model"] = photo.model;
        if (!photo.taken.empty()) exif["Exif.Photo.DateTimeOriginal"] = photo.taken;
        if (!photo.changed.empty()) exif["Exif.Image.DateTime"] = photo.changed;
        if (photo.orientation != 0) exif["Exif.Image.Orientation"] = uint16_t(photo.orientation);
        if (!photo.title.empty()) img->xmpData()["Xmp.dc.title"] = photo.title;
        img->writeMetadata();
    } catch (const std::exception& e) {
        return Complain("photo " + path + ": " + e.what());
    }
    return true;
}

bool WriteCameraPreview(const std::string& path, const QImage& preview) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!QImageWriter(&buffer, "jpeg").write(preview)) return Complain("preview of " + path);
    try {
        auto img = Exiv2::ImageFactory::open(path);
        img->readMetadata();
        Exiv2::ExifThumb(img->exifData())
            .setJpegThumbnail(reinterpret_cast<const Exiv2::byte*>(bytes.constData()),
                              static_cast<long>(bytes.size()));
        img->writeMetadata();
    } catch (const std::exception& e) {
        return Complain("photo " + path + ": " + e.what());
    }
    return true;
}

namespace {

// `picture` as a HEIF image of 8-bit RGB.
heif_image* HeifImageOf(const QImage& picture) {
    const QImage rgb = picture.convertToFormat(QImage::Format_RGB888);
    heif_image* image = nullptr;
    if (heif_image_create(rgb.width(), rgb.height(), heif_colorspace_RGB,
                          heif_chroma_interleaved_RGB, &image)
            .code != heif_error_Ok) {
        return nullptr;
    }
    heif_image_add_plane(image, heif_channel_interleaved, rgb.width(), rgb.height(), 8);
    int stride = 0;
    uint8_t* plane = heif_image_get_plane(image, heif_channel_interleaved, &stride);
    for (int y = 0; y < rgb.height(); ++y)
        std::memcpy(plane + stride * y, rgb.constScanLine(y), size_t(rgb.width()) * 3);
    return image;
}

}  // namespace

bool WriteHeifPhoto(const std::string& path, const QImage& picture, const FixturePhoto& photo,
                    const QImage* thumbnail, int thumbnailBox) {
    heif_context* context = heif_context_alloc();
    heif_encoder* encoder = nullptr;
    heif_image* image = HeifImageOf(picture);
    heif_image* small = thumbnail ? HeifImageOf(*thumbnail) : nullptr;
    heif_image_handle* handle = nullptr;
    const bool av1 = path.size() > 5 && path.compare(path.size() - 5, 5, ".avif") == 0;
    heif_error error = heif_context_get_encoder_for_format(
        context, av1 ? heif_compression_AV1 : heif_compression_HEVC, &encoder);
    if (error.code == heif_error_Ok && image) {
        heif_encoder_set_lossy_quality(encoder, 60);
        error = heif_context_encode_image(context, image, encoder, nullptr, &handle);
    }
    if (error.code == heif_error_Ok && small) {
        heif_image_handle* made = nullptr;
        error = heif_context_encode_thumbnail(context, small, handle, encoder, nullptr,
                                              thumbnailBox, &made);
        if (made) heif_image_handle_release(made);
    }
    try {
        Exiv2::ExifData exif;
        if (!photo.make.empty()) exif["Exif.Image.Make"] = photo.make;
        if (!photo.model.empty()) exif["Exif.Image.Model"] = photo.model;
        if (!photo.taken.empty()) exif["Exif.Photo.DateTimeOriginal"] = photo.taken;
        if (error.code == heif_error_Ok && !exif.empty()) {
            Exiv2::Blob blob;
            Exiv2::ExifParser::encode(blob, Exiv2::littleEndian, exif);
            blob.insert(blob.begin(), 4, 0);  // the TIFF header starts right after its offset
            error = heif_context_add_exif_metadata(context, handle, blob.data(),
                                                   static_cast<int>(blob.size()));
        }
        if (error.code == heif_error_Ok && !photo.title.empty()) {
            Exiv2::XmpData xmp;
            xmp["Xmp.dc.title"] = photo.title;
            std::string packet;
            Exiv2::XmpParser::encode(packet, xmp);
            error = heif_context_add_XMP_metadata(context, handle, packet.data(),
                                                  static_cast<int>(packet.size()));
        }
    } catch (const std::exception&) {
        error = {heif_error_Encoding_error, heif_suberror_Unspecified, "Exif"};
    }
    if (error.code == heif_error_Ok) error = heif_context_write_to_file(context, path.c_str());
    const std::string message = error.message ? error.message : "";
    if (handle) heif_image_handle_release(handle);
    if (small) heif_image_release(small);
    if (image) heif_image_release(image);
    if (encoder) heif_encoder_release(encoder);
    heif_context_free(context);
    if (error.code != heif_error_Ok) return Complain("HEIF photo " + path + ": " + message);
    return true;
}

namespace {

struct SongCodec {
    const char* encoder;
    const char* muxer;
    int sampleRate;
};

SongCodec CodecOf(const std::string& format) {
    if (format == "mp3") return {"libmp3lame", "mp3", 44100};
    if (format == "flac") return {"flac", "flac", 44100};
    if (format == "ogg") return {"libvorbis", "ogg", 44100};
    if (format == "opus") return {"libopus", "ogg", 48000};
    if (format == "wav") return {"pcm_s16le", "wav", 44100};
    if (format == "m4a") return {"aac", "ipod", 44100};
    return {nullptr, nullptr, 0};
}

// One sample of a quiet tone in any of the usual sample formats.
void PutSample(AVFrame* frame, int channel, int index, double value) {
    const bool planar = av_sample_fmt_is_planar(static_cast<AVSampleFormat>(frame->format));
    const int channels = frame->ch_layout.nb_channels;
    uint8_t* base = frame->data[planar ? channel : 0];
    const int at = planar ? index : index * channels + channel;
    switch (av_get_packed_sample_fmt(static_cast<AVSampleFormat>(frame->format))) {
        case AV_SAMPLE_FMT_S16:
            reinterpret_cast<int16_t*>(base)[at] = static_cast<int16_t>(value * 8000);
            break;
        case AV_SAMPLE_FMT_S32:
            reinterpret_cast<int32_t*>(base)[at] = static_cast<int32_t>(value * 8000 * 65536);
            break;
        case AV_SAMPLE_FMT_FLT:
            reinterpret_cast<float*>(base)[at] = static_cast<float>(value * 0.25);
            break;
        case AV_SAMPLE_FMT_DBL:
            reinterpret_cast<double*>(base)[at] = value * 0.25;
            break;
        default:
            break;
    }
}

// Sends `frame` (null: the end) through the encoder into the muxer.
bool Encode(AVCodecContext* codec, AVFormatContext* out, AVStream* stream, AVFrame* frame) {
    if (avcodec_send_frame(codec, frame) < 0) return false;
    AVPacket* packet = av_packet_alloc();
    bool ok = true;
    for (;;) {
        const int rc = avcodec_receive_packet(codec, packet);
        if (rc == AVERROR(EAGAIN) || rc == AVERROR_EOF) break;
        if (rc < 0) {
            ok = false;
            break;
        }
        av_packet_rescale_ts(packet, codec->time_base, stream->time_base);
        packet->stream_index = stream->index;
        if (av_interleaved_write_frame(out, packet) < 0) ok = false;
    }
    av_packet_free(&packet);
    return ok;
}

// Encodes `frames` frames that `fill` paints into a new file at `path`.
template <typename Setup, typename Fill>
bool EncodeFile(const std::string& path, const char* encoderName, const char* muxer, int frames,
                Setup setup, Fill fill, AVDictionary* metadata) {
    const AVCodec* encoder = avcodec_find_encoder_by_name(encoderName);
    if (!encoder) return Complain(std::string("no encoder ") + encoderName);
    AVFormatContext* out = nullptr;
    if (avformat_alloc_output_context2(&out, nullptr, muxer, path.c_str()) < 0)
        return Complain("no muxer");
    out->metadata = metadata;
    AVStream* stream = avformat_new_stream(out, nullptr);
    AVCodecContext* codec = avcodec_alloc_context3(encoder);
    setup(codec, encoder);
    if (out->oformat->flags & AVFMT_GLOBALHEADER) codec->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    bool ok = avcodec_open2(codec, encoder, nullptr) >= 0 &&
              avcodec_parameters_from_context(stream->codecpar, codec) >= 0;
    stream->time_base = codec->time_base;
    ok = ok && avio_open(&out->pb, path.c_str(), AVIO_FLAG_WRITE) >= 0 &&
         avformat_write_header(out, nullptr) >= 0;
    AVFrame* frame = av_frame_alloc();
    for (int i = 0; ok && i < frames; ++i) {
        ok = fill(codec, frame, i) && Encode(codec, out, stream, frame);
        av_frame_unref(frame);
    }
    ok = ok && Encode(codec, out, stream, nullptr) && av_write_trailer(out) >= 0;
    av_frame_free(&frame);
    avcodec_free_context(&codec);
    if (out->pb) avio_closep(&out->pb);
    avformat_free_context(out);
    return ok || Complain("could not encode " + path);
}

}  // namespace

bool WriteSong(const std::string& path, const FixtureSong& song) {
    const SongCodec c = CodecOf(song.format);
    if (!c.encoder) return Complain("no such song format " + song.format);
    int frameSize = 1024;
    const int total = static_cast<int>(song.seconds * c.sampleRate);
    int frames = 0;
    auto setup = [&](AVCodecContext* codec, const AVCodec* encoder) {
        codec->sample_rate = c.sampleRate;
        AVChannelLayout stereo = AV_CHANNEL_LAYOUT_STEREO;
        av_channel_layout_copy(&codec->ch_layout, &stereo);
        codec->sample_fmt = encoder->sample_fmts ? encoder->sample_fmts[0] : AV_SAMPLE_FMT_S16;
        codec->bit_rate = 96000;
        codec->time_base = AVRational{1, c.sampleRate};
        codec->strict_std_compliance = FF_COMPLIANCE_EXPERIMENTAL;
    };
    auto fill = [&](AVCodecContext* codec, AVFrame* frame, int index) {
        if (codec->frame_size > 0) frameSize = codec->frame_size;
        frame->nb_samples = frameSize;
        frame->format = codec->sample_fmt;
        av_channel_layout_copy(&frame->ch_layout, &codec->ch_layout);
        frame->sample_rate = codec->sample_rate;
        if (av_frame_get_buffer(frame, 0) < 0) return false;
        for (int s = 0; s < frameSize; ++s) {
            const double t = static_cast<double>(index * frameSize + s) / c.sampleRate;
            for (int ch = 0; ch < 2; ++ch) PutSample(frame, ch, s, std::sin(2 * M_PI * 440 * t));
        }
        frame->pts = static_cast<int64_t>(index) * frameSize;
        return true;
    };
    // The number of frames is known once the encoder says its frame size: open it once to ask.
    {
        const AVCodec* encoder = avcodec_find_encoder_by_name(c.encoder);
        if (!encoder) return Complain(std::string("no encoder ") + c.encoder);
        AVCodecContext* probe = avcodec_alloc_context3(encoder);
        setup(probe, encoder);
        if (avcodec_open2(probe, encoder, nullptr) >= 0 && probe->frame_size > 0)
            frameSize = probe->frame_size;
        avcodec_free_context(&probe);
        frames = (total + frameSize - 1) / frameSize;
    }
    if (!EncodeFile(path, c.encoder, c.muxer, frames, setup, fill, nullptr)) return false;
    TagLib::FileRef ref(path.c_str());
    if (ref.isNull() || !ref.tag()) return Complain("TagLib cannot open " + path);
    ref.tag()->setArtist(TagLib::String(song.artist, TagLib::String::UTF8));
    ref.tag()->setAlbum(TagLib::String(song.album, TagLib::String::UTF8));
    ref.tag()->setTitle(TagLib::String(song.title, TagLib::String::UTF8));
    return ref.save() || Complain("TagLib cannot save " + path);
}

bool WriteFilm(const std::string& path, const FixtureFilm& film) {
    constexpr int kRate = 25;
    const int frames = std::max(1, static_cast<int>(film.seconds * kRate));
    auto setup = [&](AVCodecContext* codec, const AVCodec*) {
        codec->width = film.width;
        codec->height = film.height;
        codec->pix_fmt = AV_PIX_FMT_YUV420P;
        codec->time_base = AVRational{1, kRate};
        codec->framerate = AVRational{kRate, 1};
        codec->gop_size = 12;
        codec->bit_rate = 400000;
    };
    auto fill = [&](AVCodecContext* codec, AVFrame* frame, int index) {
        frame->format = codec->pix_fmt;
        frame->width = codec->width;
        frame->height = codec->height;
        if (av_frame_get_buffer(frame, 0) < 0) return false;
        for (int y = 0; y < frame->height; ++y) {
            std::memset(frame->data[0] + y * frame->linesize[0], (y + index * 3) & 0xFF,
                        static_cast<size_t>(frame->width));
        }
        for (int y = 0; y < frame->height / 2; ++y) {
            std::memset(frame->data[1] + y * frame->linesize[1], 128,
                        static_cast<size_t>(frame->width / 2));
            std::memset(frame->data[2] + y * frame->linesize[2], 64,
                        static_cast<size_t>(frame->width / 2));
        }
        frame->pts = index;
        return true;
    };
    AVDictionary* metadata = nullptr;
    if (!film.title.empty()) av_dict_set(&metadata, "title", film.title.c_str(), 0);
    return EncodeFile(path, "mpeg4", film.format.c_str(), frames, setup, fill, metadata);
}

}  // namespace karvio::testing
