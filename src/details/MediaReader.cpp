#include "MediaReader.h"

#include <taglib/fileref.h>
#include <taglib/tag.h>
#include <taglib/tdebuglistener.h>
#include <taglib/tfilestream.h>

#include <libheif/heif.h>
#include <exiv2/exiv2.hpp>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/avutil.h>
}

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <memory>
#include <mutex>
#include <vector>

#include "CatalogueDate.h"

namespace karvio {

namespace {

class SilentTagLib : public TagLib::DebugListener {
public:
    void printMessage(const TagLib::String&) override {}
};

// The libraries' global start-up, once for the process: Exiv2's XMP parser is not safe to start
// from two threads, and none of the three may write to the terminal.
void StartLibraries() {
    static std::once_flag once;
    std::call_once(once, [] {
        Exiv2::LogMsg::setLevel(Exiv2::LogMsg::mute);
        Exiv2::XmpParser::initialize();
        static SilentTagLib silent;
        TagLib::setDebugListener(&silent);
        av_log_set_level(AV_LOG_QUIET);
    });
}

// A path that names the open file itself, for the libraries that open by name.
std::string PathOf(int fd) {
    return "/proc/self/fd/" + std::to_string(fd);
}

std::string Trimmed(std::string text) {
    const size_t start = text.find_first_not_of(" \t\r\n");
    if (start == std::string::npos) return {};
    const size_t end = text.find_last_not_of(" \t\r\n");
    return text.substr(start, end - start + 1);
}

// An Exif text, or XMP or IPTC text where Exif has none.
std::string TextOf(const Exiv2::ExifData& exif, const char* key) {
    const auto it = exif.findKey(Exiv2::ExifKey(key));
    return it == exif.end() ? std::string() : Trimmed(it->toString());
}

std::string TextOf(const Exiv2::XmpData& xmp, const char* key) {
    const auto it = xmp.findKey(Exiv2::XmpKey(key));
    if (it == xmp.end()) return {};
    std::string text = it->toString();
    // Language alternatives read 'lang="x-default" Title'.
    if (text.rfind("lang=", 0) == 0) {
        const size_t space = text.find(' ');
        text = space == std::string::npos ? std::string() : text.substr(space + 1);
    }
    return Trimmed(text);
}

std::string TextOf(const Exiv2::IptcData& iptc, const char* key) {
    const auto it = iptc.findKey(Exiv2::IptcKey(key));
    return it == iptc.end() ? std::string() : Trimmed(it->toString());
}

int32_t NumberOf(const Exiv2::ExifData& exif, const char* key) {
    const auto it = exif.findKey(Exiv2::ExifKey(key));
    if (it == exif.end() || it->count() == 0) return 0;
    const long value = it->toLong();
    return value > 0 && value < (1L << 30) ? static_cast<int32_t>(value) : 0;
}

// "Canon Canon EOS 5D" reads "Canon EOS 5D".
std::string CameraName(std::string make, std::string model) {
    if (model.empty()) return make;
    if (make.empty()) return model;
    const std::string firstWord = make.substr(0, make.find(' '));
    if (model.size() >= firstWord.size() &&
        ::strncasecmp(model.c_str(), firstWord.c_str(), firstWord.size()) == 0) {
        return model;
    }
    return make + " " + model;
}

}  // namespace

double DateOfMetadataText(std::string_view text) {
    int fields[6] = {0, 0, 0, 0, 0, 0};
    size_t at = 0;
    int read = 0;
    for (; read < 6; ++read) {
        while (at < text.size() && (text[at] < '0' || text[at] > '9')) ++at;
        const size_t start = at;
        while (at < text.size() && text[at] >= '0' && text[at] <= '9' && at - start < 4) {
            fields[read] = fields[read] * 10 + (text[at] - '0');
            ++at;
        }
        if (at == start) break;
    }
    if (read < 3 || fields[0] < 1900 || fields[0] > 9999 || fields[1] < 1 || fields[1] > 12 ||
        fields[2] < 1 || fields[2] > 31 || fields[3] > 23 || fields[4] > 59 || fields[5] > 60) {
        return 0;
    }
    // A time in universal time ("...Z", as films record it) is shown in local time.
    if (!text.empty() && text.back() == 'Z') {
        std::tm utc{};
        utc.tm_year = fields[0] - 1900;
        utc.tm_mon = fields[1] - 1;
        utc.tm_mday = fields[2];
        utc.tm_hour = fields[3];
        utc.tm_min = fields[4];
        utc.tm_sec = fields[5];
        return DateFromTimeT(::timegm(&utc));
    }
    LocalDateTime f;
    f.year = fields[0];
    f.month = fields[1];
    f.day = fields[2];
    f.hour = fields[3];
    f.minute = fields[4];
    f.second = fields[5];
    return DateFromFields(f);
}

namespace {

// Exiv2 can be built with readers of film containers; they stop the whole process on an assertion
// over a damaged Matroska file, and a film's details come from libavformat anyway.
// Their type numbers (riff 20, mkv 21, qtime 22, asf 24) are declared in headers that need
// Exiv2's internal ones, so they are written here.
bool IsFilmContainer(int imageType) {
    return imageType == 20 || imageType == 21 || imageType == 22 || imageType == 24;
}

// When it was taken, with which camera, by whom and under which title, from whichever of the
// picture's Exif, XMP and IPTC has it.
void PutPictureFields(MediaFields& m, const Exiv2::ExifData& exif, const Exiv2::XmpData& xmp,
                      const Exiv2::IptcData& iptc) {
    std::string taken = TextOf(exif, "Exif.Photo.DateTimeOriginal");
    if (taken.empty()) taken = TextOf(xmp, "Xmp.exif.DateTimeOriginal");
    if (taken.empty()) taken = TextOf(xmp, "Xmp.photoshop.DateCreated");
    if (taken.empty()) taken = TextOf(exif, "Exif.Image.DateTime");
    m.taken = DateOfMetadataText(taken);
    m.camera = CameraName(TextOf(exif, "Exif.Image.Make"), TextOf(exif, "Exif.Image.Model"));
    m.artist = TextOf(exif, "Exif.Image.Artist");
    if (m.artist.empty()) m.artist = TextOf(xmp, "Xmp.dc.creator");
    m.title = TextOf(xmp, "Xmp.dc.title");
    if (m.title.empty()) m.title = TextOf(iptc, "Iptc.Application2.ObjectName");
    if (m.title.empty()) m.title = TextOf(exif, "Exif.Image.ImageDescription");
}

// ---- HEIF pictures (the HEIC photos of phones) through libheif: Exiv2 takes their files for
// QuickTime films, and Qt has no reader of them.

struct HeifFree {
    void operator()(heif_context* c) const { heif_context_free(c); }
    void operator()(heif_image_handle* h) const { heif_image_handle_release(h); }
    void operator()(heif_image* i) const { heif_image_release(i); }
};
using HeifContext = std::unique_ptr<heif_context, HeifFree>;
using HeifHandle = std::unique_ptr<heif_image_handle, HeifFree>;
using HeifImage = std::unique_ptr<heif_image, HeifFree>;

// The file's primary picture, or null with `note` saying why.
HeifHandle OpenHeif(int fd, HeifContext& context, std::string& note) {
    context.reset(heif_context_alloc());
    if (!context) return note = "not enough memory to read it", nullptr;
    // Larger pictures than this are refused before anything is decoded.
    heif_context_set_maximum_image_size_limit(context.get(), 1 << 15);
    heif_error error = heif_context_read_from_file(context.get(), PathOf(fd).c_str(), nullptr);
    heif_image_handle* primary = nullptr;
    if (error.code == heif_error_Ok)
        error = heif_context_get_primary_image_handle(context.get(), &primary);
    if (error.code != heif_error_Ok) {
        note =
            std::string("its HEIF picture cannot be read: ") + (error.message ? error.message : "");
        return nullptr;
    }
    return HeifHandle(primary);
}

// The metadata blocks of `type` ("Exif", "mime") of a picture, each whole.
std::vector<std::string> HeifMetadata(heif_image_handle* handle, const char* type) {
    constexpr size_t kMostBytes = 4 << 20;
    const int count = std::min(heif_image_handle_get_number_of_metadata_blocks(handle, type), 16);
    std::vector<heif_item_id> ids(static_cast<size_t>(std::max(count, 0)));
    if (count > 0)
        heif_image_handle_get_list_of_metadata_block_IDs(handle, type, ids.data(), count);
    std::vector<std::string> blocks;
    for (heif_item_id id : ids) {
        if (std::strcmp(type, "mime") == 0) {
            const char* content = heif_image_handle_get_metadata_content_type(handle, id);
            if (!content || std::strcmp(content, "application/rdf+xml") != 0) continue;
        }
        const size_t size = heif_image_handle_get_metadata_size(handle, id);
        if (size == 0 || size > kMostBytes) continue;
        std::string bytes(size, '\0');
        if (heif_image_handle_get_metadata(handle, id, bytes.data()).code == heif_error_Ok)
            blocks.push_back(std::move(bytes));
    }
    return blocks;
}

// A picture's Exif as HEIF keeps it: the offset of its TIFF header, then the Exif itself.
void DecodeHeifExif(const std::string& block, Exiv2::ExifData& exif) {
    if (block.size() < 4) return;
    const uint32_t skip = (static_cast<uint32_t>(static_cast<unsigned char>(block[0])) << 24) |
                          (static_cast<uint32_t>(static_cast<unsigned char>(block[1])) << 16) |
                          (static_cast<uint32_t>(static_cast<unsigned char>(block[2])) << 8) |
                          static_cast<uint32_t>(static_cast<unsigned char>(block[3]));
    if (skip > block.size() - 4) return;
    const size_t at = 4 + skip;
    Exiv2::ExifParser::decode(exif, reinterpret_cast<const Exiv2::byte*>(block.data()) + at,
                              static_cast<uint32_t>(block.size() - at));
}

MediaResult ReadHeifDetails(int fd) {
    MediaResult result;
    HeifContext context;
    const HeifHandle primary = OpenHeif(fd, context, result.note);
    if (!primary) return result;
    MediaFields& m = result.fields;
    m.kind = MediaKind::Picture;
    m.width = heif_image_handle_get_width(primary.get());
    m.height = heif_image_handle_get_height(primary.get());
    try {
        Exiv2::ExifData exif;
        Exiv2::XmpData xmp;
        for (const std::string& block : HeifMetadata(primary.get(), "Exif"))
            DecodeHeifExif(block, exif);
        for (const std::string& block : HeifMetadata(primary.get(), "mime"))
            Exiv2::XmpParser::decode(xmp, block);
        PutPictureFields(m, exif, xmp, Exiv2::IptcData());
    } catch (const std::exception& e) {
        result.note = std::string("its picture details could not be read: ") + e.what();
    }
    return result;
}

}  // namespace

bool IsHeifPicture(int fd) {
    // AVIF pictures are left alone: libheif hands them to the AV1 decoder, which lets a damaged
    // one claim gigabytes.
    unsigned char head[64];
    const ssize_t n = ::pread(fd, head, sizeof head, 0);
    const int length = static_cast<int>(std::max<ssize_t>(n, 0));
    return n >= 12 && heif_check_filetype(head, length) == heif_filetype_yes_supported &&
           heif_has_compatible_brand(head, length, "avif") != 1 &&
           heif_has_compatible_brand(head, length, "avis") != 1;
}

HeifPixels DecodeHeifForThumbnail(int fd, int longSide, int64_t maxPixels) {
    HeifPixels out;
    HeifContext context;
    const HeifHandle primary = OpenHeif(fd, context, out.note);
    if (!primary) return out;
    const int64_t width = heif_image_handle_get_width(primary.get());
    const int64_t height = heif_image_handle_get_height(primary.get());
    // The picture's own thumbnail, the smallest that is large enough, when it has the picture's
    // proportions (to within a pixel); else the picture itself.
    HeifHandle chosen;
    const int count = std::min(heif_image_handle_get_number_of_thumbnails(primary.get()), 16);
    std::vector<heif_item_id> ids(static_cast<size_t>(std::max(count, 0)));
    if (count > 0) heif_image_handle_get_list_of_thumbnail_IDs(primary.get(), ids.data(), count);
    for (heif_item_id id : ids) {
        heif_image_handle* thumbnail = nullptr;
        if (heif_image_handle_get_thumbnail(primary.get(), id, &thumbnail).code != heif_error_Ok)
            continue;
        HeifHandle candidate(thumbnail);
        const int64_t w = heif_image_handle_get_width(thumbnail),
                      h = heif_image_handle_get_height(thumbnail);
        if (std::max(w, h) < longSide || w > width || h > height ||
            std::abs(w * height - h * width) > std::max(width, height)) {
            continue;
        }
        if (!chosen || w * h < int64_t{heif_image_handle_get_width(chosen.get())} *
                                   heif_image_handle_get_height(chosen.get())) {
            chosen = std::move(candidate);
        }
    }
    heif_image_handle* decoding = chosen ? chosen.get() : primary.get();
    const int64_t pixels =
        int64_t{heif_image_handle_get_width(decoding)} * heif_image_handle_get_height(decoding);
    if (pixels <= 0 || pixels > maxPixels) {
        out.note = "its picture is too large to decode";
        return out;
    }
    // Only the HEVC decoder is let decode (see IsHeifPicture): a picture of another coding is
    // refused, whatever the file's brands say.
    const heif_decoder_descriptor* hevc = nullptr;
    if (heif_get_decoder_descriptors(heif_compression_HEVC, &hevc, 1) != 1) {
        out.note = "its picture cannot be decoded: no HEVC decoder";
        return out;
    }
    const std::unique_ptr<heif_decoding_options, void (*)(heif_decoding_options*)> options(
        heif_decoding_options_alloc(), heif_decoding_options_free);
    if (!options) return out.note = "not enough memory to decode it", out;
    options->decoder_id = heif_decoder_descriptor_get_id_name(hevc);
    const bool alpha = heif_image_handle_has_alpha_channel(decoding);
    heif_image* decoded = nullptr;
    const heif_error error = heif_decode_image(
        decoding, &decoded, heif_colorspace_RGB,
        alpha ? heif_chroma_interleaved_RGBA : heif_chroma_interleaved_RGB, options.get());
    const HeifImage image(decoded);
    int stride = 0;
    const uint8_t* plane =
        image ? heif_image_get_plane_readonly(decoded, heif_channel_interleaved, &stride) : nullptr;
    if (error.code != heif_error_Ok || !plane) {
        out.note =
            std::string("its picture cannot be decoded: ") + (error.message ? error.message : "");
        return out;
    }
    out.width = heif_image_get_width(decoded, heif_channel_interleaved);
    out.height = heif_image_get_height(decoded, heif_channel_interleaved);
    out.alpha = alpha;
    const size_t row = static_cast<size_t>(out.width) * (alpha ? 4 : 3);
    if (out.width <= 0 || out.height <= 0 || static_cast<size_t>(stride) < row) {
        out.note = "its picture cannot be decoded";
        out.width = out.height = 0;
        return out;
    }
    out.pixels.resize(row * static_cast<size_t>(out.height));
    for (int y = 0; y < out.height; ++y) {
        std::memcpy(out.pixels.data() + row * static_cast<size_t>(y),
                    plane + static_cast<size_t>(stride) * y, row);
    }
    return out;
}

MediaResult ReadPictureDetails(int fd) {
    StartLibraries();
    if (IsHeifPicture(fd)) return ReadHeifDetails(fd);
    MediaResult result;
    try {
        const auto image = Exiv2::ImageFactory::open(PathOf(fd));
        if (!image.get() || IsFilmContainer(image->imageType())) {
            result.note = "not a picture Exiv2 can read";
            return result;
        }
        image->readMetadata();
        MediaFields& m = result.fields;
        m.kind = MediaKind::Picture;
        const Exiv2::ExifData& exif = image->exifData();
        PutPictureFields(m, exif, image->xmpData(), image->iptcData());
        m.width = image->pixelWidth() > 0 ? image->pixelWidth()
                                          : NumberOf(exif, "Exif.Photo.PixelXDimension");
        m.height = image->pixelHeight() > 0 ? image->pixelHeight()
                                            : NumberOf(exif, "Exif.Photo.PixelYDimension");
    } catch (const std::exception& e) {
        result.note = std::string("its picture details could not be read: ") + e.what();
        if (result.fields.kind != MediaKind::Picture) result.fields = MediaFields{};
    }
    return result;
}

std::string ReadCameraPreview(int fd) {
    StartLibraries();
    try {
        const auto image = Exiv2::ImageFactory::open(PathOf(fd));
        if (!image.get() || image->mimeType() != "image/jpeg") return {};
        image->readMetadata();
        const Exiv2::ExifData& exif = image->exifData();
        const std::string taken = TextOf(exif, "Exif.Photo.DateTimeOriginal");
        if (taken.empty() || TextOf(exif, "Exif.Image.DateTime") != taken) return {};
        const Exiv2::DataBuf preview = Exiv2::ExifThumbC(exif).copy();
        if (preview.size_ <= 0) return {};
        return std::string(reinterpret_cast<const char*>(preview.pData_),
                           static_cast<size_t>(preview.size_));
    } catch (const std::exception&) {
        return {};
    }
}

MediaResult ReadAudioDetails(int fd) {
    StartLibraries();
    MediaResult result;
    try {
        TagLib::FileStream stream(PathOf(fd).c_str(), true);
        if (!stream.isOpen()) {
            result.note = "it could not be opened";
            return result;
        }
        TagLib::FileRef ref(&stream, true, TagLib::AudioProperties::Fast);
        if (ref.isNull()) {
            result.note = "not a song TagLib can read";
            return result;
        }
        MediaFields& m = result.fields;
        m.kind = MediaKind::Audio;
        if (const TagLib::Tag* tag = ref.tag()) {
            m.artist = Trimmed(tag->artist().to8Bit(true));
            m.album = Trimmed(tag->album().to8Bit(true));
            m.title = Trimmed(tag->title().to8Bit(true));
        }
        if (const TagLib::AudioProperties* audio = ref.audioProperties()) {
            const int ms = audio->lengthInMilliseconds();
            if (ms > 0) m.duration = ms / 1000.0;
        }
    } catch (const std::exception& e) {
        result.note = std::string("its song details could not be read: ") + e.what();
        result.fields = MediaFields{};
    }
    return result;
}

namespace {

// The file seen by libavformat through pread, counting and limiting the bytes read.
struct AvSource {
    int fd;
    int64_t offset = 0;
    int64_t size = 0;
    int64_t read = 0;
    int64_t limit;
};

int AvRead(void* opaque, uint8_t* buffer, int size) {
    AvSource& s = *static_cast<AvSource*>(opaque);
    if (s.read >= s.limit) return AVERROR(EFBIG);
    for (;;) {
        const ssize_t n = ::pread(s.fd, buffer, static_cast<size_t>(size), s.offset);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return AVERROR(errno);
        if (n == 0) return AVERROR_EOF;
        s.offset += n;
        s.read += n;
        return static_cast<int>(n);
    }
}

int64_t AvSeek(void* opaque, int64_t offset, int whence) {
    AvSource& s = *static_cast<AvSource*>(opaque);
    switch (whence & ~AVSEEK_FORCE) {
        case AVSEEK_SIZE:
            return s.size;
        case SEEK_SET:
            s.offset = offset;
            break;
        case SEEK_CUR:
            s.offset += offset;
            break;
        case SEEK_END:
            s.offset = s.size + offset;
            break;
        default:
            return -1;
    }
    return s.offset < 0 ? -1 : s.offset;
}

std::string AvError(int code) {
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return text;
}

std::string MetadataText(AVDictionary* dict, const char* key) {
    const AVDictionaryEntry* e = av_dict_get(dict, key, nullptr, 0);
    return e && e->value ? Trimmed(e->value) : std::string();
}

}  // namespace

MediaResult ReadVideoDetails(int fd, int64_t maxBytesRead) {
    StartLibraries();
    MediaResult result;
    AvSource source{fd, 0, 0, 0, maxBytesRead};
    source.size = ::lseek(fd, 0, SEEK_END);
    constexpr int kBufferSize = 64 * 1024;
    auto* buffer = static_cast<unsigned char*>(av_malloc(kBufferSize));
    AVIOContext* io =
        buffer ? avio_alloc_context(buffer, kBufferSize, 0, &source, AvRead, nullptr, AvSeek)
               : nullptr;
    if (!io) {
        av_free(buffer);
        result.note = "out of memory";
        return result;
    }
    AVFormatContext* format = avformat_alloc_context();
    if (!format) {
        av_freep(&io->buffer);
        avio_context_free(&io);
        result.note = "out of memory";
        return result;
    }
    format->pb = io;
    format->flags |= AVFMT_FLAG_CUSTOM_IO;
    format->probesize = 1 << 20;
    format->max_analyze_duration = 0;
    int rc = avformat_open_input(&format, nullptr, nullptr, nullptr);
    if (rc < 0) {
        // avformat_open_input frees the context on failure.
        result.note = "not a film libavformat can read: " + AvError(rc);
    } else {
        // Some containers leave the picture size to the stream's own headers: then a few
        // packets are looked at (within the same byte limit).
        bool sized = true;
        for (unsigned i = 0; i < format->nb_streams; ++i) {
            const AVCodecParameters* par = format->streams[i]->codecpar;
            if (par->codec_type == AVMEDIA_TYPE_VIDEO && (par->width <= 0 || par->height <= 0))
                sized = false;
        }
        if (!sized) {
            format->max_analyze_duration = AV_TIME_BASE;
            avformat_find_stream_info(format, nullptr);
        }
        MediaFields& m = result.fields;
        m.kind = MediaKind::Video;
        if (format->duration > 0 && format->duration != AV_NOPTS_VALUE) {
            m.duration = static_cast<double>(format->duration) / AV_TIME_BASE;
        }
        std::string codecs;
        for (unsigned i = 0; i < format->nb_streams; ++i) {
            const AVCodecParameters* par = format->streams[i]->codecpar;
            if (par->codec_type == AVMEDIA_TYPE_VIDEO && m.width == 0 && par->width > 0 &&
                par->height > 0) {
                m.width = par->width;
                m.height = par->height;
            }
            if (par->codec_type == AVMEDIA_TYPE_VIDEO || par->codec_type == AVMEDIA_TYPE_AUDIO) {
                const char* name = avcodec_get_name(par->codec_id);
                if (name && codecs.find(name) == std::string::npos) {
                    if (!codecs.empty()) codecs += ", ";
                    codecs += name;
                }
            }
            if (m.duration == 0 && format->streams[i]->duration > 0 &&
                format->streams[i]->time_base.den > 0) {
                m.duration = static_cast<double>(format->streams[i]->duration) *
                             format->streams[i]->time_base.num / format->streams[i]->time_base.den;
            }
        }
        m.codecs = codecs;
        m.title = MetadataText(format->metadata, "title");
        m.artist = MetadataText(format->metadata, "artist");
        m.album = MetadataText(format->metadata, "album");
        m.taken = DateOfMetadataText(MetadataText(format->metadata, "creation_time"));
        avformat_close_input(&format);
    }
    if (io) {
        av_freep(&io->buffer);
        avio_context_free(&io);
    }
    return result;
}

}  // namespace karvio
