#include "TCollectionDump.h"

#include "DateTime.h"
#include "GlobalMemory.h"
#include "TClipColl.h"
#include "TClipContext.h"
#include "TClipData.h"
#include "TClipObj.h"
#include "TDirFiles.h"

#include <QByteArray>
#include <QCryptographicHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>
#include <QString>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <system_error>

namespace bx::shell {

using namespace clipstore;
using namespace platform;

namespace {

QString Q(const std::string& s) {
    return QString::fromStdString(s);
}

std::string OneLine(std::string text) {
    for (char& c : text)
        if (c == '\n' || c == '\r')
            c = ' ';
    return text;
}

QString Sha256(const QByteArray& bytes) {
    return QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex());
}

std::optional<QByteArray> FileContent(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return std::nullopt;
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad())
        return std::nullopt;
    return QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

// "YYYY-MM-DDTHH:MM:SS.mmm" of a local date-time; null for a value outside the calendar.
QJsonValue TimeText(TDateTime value) {
    if (!std::isfinite(value) || value < -693593.0 || value > 2958466.0)
        return QJsonValue(QJsonValue::Null);
    const DateTimeParts p = DecodeDateTime(value);
    char text[40];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d.%03d", p.year, p.month, p.day, p.hour, p.minute,
                  p.second, p.millisecond);
    return QJsonValue(QString::fromLatin1(text));
}

QJsonValue Number(double value) {
    return std::isfinite(value) ? QJsonValue(value) : QJsonValue(QJsonValue::Null);
}

QString KindName(std::uint8_t type) {
    switch (type) {
    case TClipData::TypeBlock:
        return "block";
    case TClipData::TypeBitmap:
        return "bitmap";
    case TClipData::TypeMetafile:
        return "metafile";
    default:
        return "invalid";
    }
}

// One format; false when its payload could not be found.
bool DumpFormat(const TClipData& d, int index, std::int32_t serial, const std::string& dir, QJsonObject& out) {
    out["index"] = index;
    out["number"] = d.FormatNum;
    out["name"] = Q(d.FormatName);
    out["type"] = d.Format_Type;
    out["kind"] = KindName(d.Format_Type);
    out["size"] = d.DataSize;
    out["pasteable"] = d.Pasteable;
    if (d.Format_Type == TClipData::TypeBlock) {
        const std::size_t size = GlobalSize(d.Handle);
        QByteArray bytes;
        if (size > 0) {
            const std::uint8_t* p = GlobalLock(d.Handle);
            bytes = QByteArray(reinterpret_cast<const char*>(p), static_cast<qsizetype>(size));
            GlobalUnlock(d.Handle);
        }
        out["bytes"] = static_cast<qint64>(size);
        out["sha256"] = Sha256(bytes);
        return true;
    }
    std::optional<std::string> file;
    if (d.Format_Type == TClipData::TypeBitmap) {
        file = TDirFiles::Find(dir, TClipData::PictureName(serial, ".bmp"));
    } else if (d.Format_Type == TClipData::TypeMetafile) {
        file = TDirFiles::Find(dir, TClipData::PictureName(serial, ".emf"));
        if (!file)
            file = TDirFiles::Find(dir, TClipData::PictureName(serial, ".wmf"));
    }
    const std::optional<QByteArray> bytes = file ? FileContent(*file) : std::nullopt;
    if (!bytes) {
        out["error"] = "picture file missing or unreadable";
        return false;
    }
    out["file"] = Q(std::filesystem::path(*file).filename().string());
    out["bytes"] = static_cast<qint64>(bytes->size());
    out["sha256"] = Sha256(*bytes);
    return true;
}

// One clip, its data read on demand; false when some of it could not be read.
bool DumpClip(TClipObj& clip, int index, const std::string& dir, QJsonObject& out) {
    out["index"] = index;
    out["title"] = Q(clip.Title);
    out["creator"] = Q(clip.Creator);
    out["timeStamp"] = Number(clip.TimeStamp);
    out["time"] = TimeText(clip.TimeStamp);
    out["serialNbr"] = clip.SerialNbr;
    out["sortKey"] = clip.SortKey;
    out["reserved"] = clip.Reserved;
    out["iconBits"] = clip.IconBits;
    out["sourceURL"] = Q(clip.SourceURL);
    out["dataInFile"] = clip.DataInFile;
    out["storedFormatCount"] = clip.StoredFormatCount;

    bool whole = true;
    if (!clip.Online) {
        try {
            if (!clip.ReadClipData(nullptr)) {
                out["error"] = "format records of the data file are damaged";
                whole = false;
            }
        } catch (const std::exception& e) {
            out["error"] = Q(OneLine(e.what()));
            whole = false;
        }
    }
    QJsonArray formats;
    if (clip.Formats) {
        int f = 0;
        for (const auto& d : *clip.Formats) {
            QJsonObject format;
            whole = DumpFormat(*d, f++, clip.SerialNbr, dir, format) && whole;
            formats.append(format);
        }
    }
    out["formats"] = formats;
    clip.UnLoad();
    return whole;
}

} // namespace

TCollectionDump::Result TCollectionDump::Dump(const std::string& directory) {
    Result result;
    std::string dir = directory.empty() ? std::string("./") : directory;
    if (dir.back() != '/')
        dir += '/';
    std::error_code ec;
    if (!std::filesystem::is_directory(dir, ec)) {
        result.ExitCode = ExitUnreadable;
        result.Error = OneLine("brindlex dump: not a directory: " + directory);
        return result;
    }
    const auto file = TDirFiles::Find(dir, TClipColl::FileName);
    if (!file) {
        result.ExitCode = ExitUnreadable;
        result.Error = OneLine("brindlex dump: no collection file " + std::string(TClipColl::FileName) + " in " + dir);
        return result;
    }

    // The clip store reads as it does in the running program, but without a desktop: registered
    // format numbers stay as stored, and reading marks nothing changed.
    TClipContext context;
    context.MasterListExists = true;
    context.StartingUp = true;
    TClipColl coll(context, false, nullptr);
    coll.DirName = dir;
    TClipColl::LoadReport report;
    try {
        report = coll.LoadFromFile(*file).value_or(TClipColl::LoadReport{});
    } catch (const std::exception& e) {
        result.ExitCode = ExitUnreadable;
        result.Error = OneLine("brindlex dump: cannot read " + *file + ": " + e.what());
        return result;
    }

    QJsonObject fields;
    fields["directory"] = Q(dir);
    fields["file"] = Q(std::filesystem::path(*file).filename().string());
    fields["version"] = report.Version;
    fields["title"] = Q(coll.Title);
    fields["acceptNewClips"] = coll.AcceptNewClips;
    fields["lastSerialNbr"] = coll.LastSerialNbr;
    fields["lastClipSortKey"] = coll.LastClipSortKey;
    fields["retention"] = coll.Retention;
    fields["maxItems"] = coll.MaxItems;
    fields["maxDays"] = coll.MaxDays;
    fields["addOrder"] = coll.AddOrder;
    fields["imageIndex"] = coll.ImageIndex;
    fields["sortKey"] = coll.SortKey;
    fields["allowDuplicates"] = coll.AllowDuplicates;
    fields["sortColumn"] = coll.SortColumn;
    fields["sortAscending"] = coll.SortAscending;
    fields["favorite"] = coll.Favorite;
    fields["reserved1"] = coll.Reserved1;
    fields["reserved2"] = coll.Reserved2;
    fields["clipCount"] = static_cast<qint64>(coll.Count());
    fields["failedItems"] = report.Failed;

    QJsonArray clips;
    int unreadable = 0;
    for (std::size_t i = 0; i < coll.Count(); ++i) {
        QJsonObject clip;
        if (!DumpClip(*coll.Clip(i), static_cast<int>(i), dir, clip))
            ++unreadable;
        clips.append(clip);
    }

    QJsonObject root;
    root["collection"] = fields;
    root["clips"] = clips;
    result.Json = QJsonDocument(root).toJson(QJsonDocument::Indented).toStdString();
    if (report.Failed > 0 || unreadable > 0) {
        result.ExitCode = ExitDamaged;
        result.Error = "brindlex dump: damaged collection in " + dir + ": " + std::to_string(report.Failed) +
                       " item(s) could not be read, " + std::to_string(unreadable) + " clip(s) with unreadable data";
    }
    return result;
}

int TCollectionDump::Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    static constexpr const char* Usage = "usage: brindlex dump DIR\n";
    if (args.size() == 2 && args[0] == "dump" && (args[1] == "--help" || args[1] == "-h")) {
        out << Usage
            << "Prints the collection stored in the directory DIR (its file _COLL.BX4) as JSON on standard output.\n"
               "Nothing on disk is changed. Exit status: 0 all read, 1 wrong arguments, 2 no collection could be\n"
               "read, 3 some clips or files could not be read. A directory whose name begins with \"-\" is given\n"
               "as ./-NAME.\n";
        return ExitOk;
    }
    if (args.size() == 2 && args[0] == "dump" && !args[1].empty() && args[1][0] == '-') {
        err << "brindlex dump: unknown option " << args[1] << '\n' << Usage;
        return ExitUsage;
    }
    if (args.size() != 2 || args[0] != "dump") {
        err << Usage;
        return ExitUsage;
    }
    const Result r = Dump(args[1]);
    out << r.Json;
    out.flush();
    if (!r.Error.empty())
        err << r.Error << '\n';
    return r.ExitCode;
}

} // namespace bx::shell
