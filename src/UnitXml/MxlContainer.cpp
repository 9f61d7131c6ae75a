#include "MxlContainer.h"

#include <zip.h>

#include <QByteArray>
#include <QString>
#include <QXmlStreamReader>
#include <cstdio>
#include <memory>

#include "XmlMessages.h"
#include "base/Errors.h"

namespace quaverly {

namespace {

constexpr std::string_view ContainerPath = "META-INF/container.xml";
constexpr std::string_view ScorePath = "score.musicxml";
constexpr std::string_view MimeType = "application/vnd.recordare.musicxml";
// container.xml is a few hundred bytes; more is no container.
constexpr zip_uint64_t MaxContainerSize = 64 * 1024;

[[noreturn]] void Refuse(const std::string& name, std::string_view reason)
{
    throw QuaverlyError(std::string(XmlMsg::MxlUnreadable) + "\r\n" + name + "\r\n" + std::string(reason));
}

struct ArchiveCloser {
    void operator()(zip_t* archive) const { zip_discard(archive); }
};
using Archive = std::unique_ptr<zip_t, ArchiveCloser>;

struct FileCloser {
    void operator()(zip_file_t* file) const { zip_fclose(file); }
};

// The entry's bytes, refused when its stated size is over the cap before
// anything is inflated, and when it inflates to more or less than it states.
std::string ReadEntry(zip_t* archive, zip_int64_t index, zip_uint64_t cap, const std::string& name)
{
    zip_stat_t stat;
    zip_stat_init(&stat);
    if (zip_stat_index(archive, static_cast<zip_uint64_t>(index), 0, &stat) != 0 || (stat.valid & ZIP_STAT_SIZE) == 0) {
        Refuse(name, XmlMsg::MxlReasonInflate);
    }
    if (stat.size > cap) {
        char reason[160];
        std::snprintf(reason, sizeof reason, std::string(XmlMsg::MxlReasonTooBig).c_str(),
                      static_cast<int>(cap >> 20));
        Refuse(name, reason);
    }
    std::unique_ptr<zip_file_t, FileCloser> file(zip_fopen_index(archive, static_cast<zip_uint64_t>(index), 0));
    if (!file) {
        Refuse(name, XmlMsg::MxlReasonInflate);
    }
    std::string bytes(static_cast<size_t>(stat.size), '\0');
    zip_uint64_t done = 0;
    while (done < stat.size) {
        const zip_int64_t got = zip_fread(file.get(), bytes.data() + done, stat.size - done);
        if (got <= 0) {
            Refuse(name, XmlMsg::MxlReasonInflate);
        }
        done += static_cast<zip_uint64_t>(got);
    }
    char extra = 0;
    if (zip_fread(file.get(), &extra, 1) != 0) {
        Refuse(name, XmlMsg::MxlReasonInflate);
    }
    return bytes;
}

// The first rootfile's full-path in container.xml, or "" without one.
std::string RootFilePath(const std::string& container)
{
    QXmlStreamReader xml(QByteArray::fromStdString(container));
    while (!xml.atEnd() && !xml.hasError()) {
        if (xml.readNext() == QXmlStreamReader::DTD && !xml.entityDeclarations().isEmpty()) {
            return {};
        }
        if (xml.isStartElement() && xml.name() == QStringLiteral("rootfile")) {
            return xml.attributes().value(QStringLiteral("full-path")).toString().toStdString();
        }
    }
    return {};
}

bool IsScoreName(std::string_view path)
{
    return !path.starts_with("META-INF/") && (path.ends_with(".xml") || path.ends_with(".musicxml"));
}

}  // namespace

bool IsZipArchive(std::string_view bytes)
{
    return bytes.starts_with(std::string_view("PK\x03\x04", 4));
}

std::string MxlContainerBytes(const std::string& score)
{
    const std::string container =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<container><rootfiles><rootfile full-path=\"" + std::string(ScorePath) +
        "\" media-type=\"application/vnd.recordare.musicxml+xml\"/></rootfiles></container>\n";
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* buffer = zip_source_buffer_create(nullptr, 0, 0, &error);
    if (buffer == nullptr) {
        throw std::bad_alloc();
    }
    zip_source_keep(buffer);
    zip_t* archive = zip_open_from_source(buffer, ZIP_TRUNCATE, &error);
    const auto add = [archive](std::string_view path, std::string_view bytes, bool stored) {
        zip_source_t* data = zip_source_buffer(archive, bytes.data(), bytes.size(), 0);
        const zip_int64_t index = data == nullptr ? -1 : zip_file_add(archive, std::string(path).c_str(), data, 0);
        if (index < 0) {
            zip_source_free(data);
            return false;
        }
        return zip_set_file_compression(archive, static_cast<zip_uint64_t>(index), stored ? ZIP_CM_STORE : ZIP_CM_DEFLATE, 0) == 0;
    };
    std::string bytes;
    const bool written = archive != nullptr && add("mimetype", MimeType, true) && add(ContainerPath, container, false) &&
                         add(ScorePath, score, false) && zip_close(archive) == 0;
    if (!written && archive != nullptr) {
        zip_discard(archive);
    }
    zip_stat_t stat;
    zip_stat_init(&stat);
    if (written && zip_source_open(buffer) == 0) {
        if (zip_source_stat(buffer, &stat) == 0 && (stat.valid & ZIP_STAT_SIZE) != 0) {
            bytes.resize(static_cast<size_t>(stat.size));
            if (zip_source_read(buffer, bytes.data(), stat.size) != static_cast<zip_int64_t>(stat.size)) {
                bytes.clear();
            }
        }
        zip_source_close(buffer);
    }
    zip_source_free(buffer);
    zip_error_fini(&error);
    if (bytes.empty()) {
        throw std::bad_alloc();  // only memory fails in an archive made in memory
    }
    return bytes;
}

std::string MxlScore(std::string_view bytes, const std::string& name, size_t maxInflated)
{
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* source = zip_source_buffer_create(bytes.data(), bytes.size(), 0, &error);
    if (source == nullptr) {
        Refuse(name, XmlMsg::MxlReasonNotZip);
    }
    Archive archive(zip_open_from_source(source, ZIP_RDONLY | ZIP_CHECKCONS, &error));
    zip_error_fini(&error);
    if (!archive) {
        zip_source_free(source);
        Refuse(name, XmlMsg::MxlReasonNotZip);
    }
    std::string path;
    const zip_int64_t containerIndex = zip_name_locate(archive.get(), std::string(ContainerPath).c_str(), 0);
    if (containerIndex >= 0) {
        path = RootFilePath(ReadEntry(archive.get(), containerIndex, MaxContainerSize, name));
    }
    zip_int64_t index = path.empty() ? -1 : zip_name_locate(archive.get(), path.c_str(), 0);
    const zip_int64_t entries = zip_get_num_entries(archive.get(), 0);
    for (zip_int64_t i = 0; index < 0 && i < entries; ++i) {
        const char* entry = zip_get_name(archive.get(), static_cast<zip_uint64_t>(i), 0);
        if (entry != nullptr && IsScoreName(entry)) {
            index = i;
        }
    }
    if (index < 0) {
        Refuse(name, XmlMsg::MxlReasonNoScore);
    }
    return ReadEntry(archive.get(), index, maxInflated, name);
}

}  // namespace quaverly
