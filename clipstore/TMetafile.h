#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace bx::clipstore {

// A metafile held as bytes, unchanged: an enhanced metafile (first record EMR_HEADER with the " EMF"
// signature) or a Windows metafile, placeable (with the 22-byte header of key 0x9AC6CDD7) or plain.
//
// The clipboard's CF_METAFILEPICT block (int32 mm, int32 xExt, int32 yExt, int32 0, then the Windows
// metafile) is held as a placeable Windows metafile: the placeable header carries the extents in
// 0.01 mm (2540 units per inch, or a coarser unit that divides 2540 when the extents do not fit into
// 16 bits), so that MetafilePictBlock gives the block back. The mapping mode and the exact extents
// are kept in memory as well; a placeable file cannot carry the mapping mode, so after a trip through
// a file the block's mapping mode is MM_ANISOTROPIC.
//
// Nothing is drawn; the records after the header are not interpreted.
class TMetafile {
public:
    enum class Kind { None, Enhanced, Windows };

    static constexpr std::int32_t MM_ISOTROPIC = 7;
    static constexpr std::int32_t MM_ANISOTROPIC = 8;
    static constexpr std::uint32_t PlaceableKey = 0x9AC6CDD7;
    // The largest metafile accepted.
    static constexpr std::uint64_t MaxSize = 0x7FFFFFFF;

    Kind GetKind() const { return kind_; }
    bool Empty() const { return kind_ == Kind::None; }
    const std::vector<std::uint8_t>& Bytes() const { return bytes_; }
    // Size in pixels at 96 dots per inch, from the enhanced metafile's frame or the placeable header;
    // 0 when the metafile does not tell (a plain Windows metafile).
    int Width() const;
    int Height() const;
    // Size in 0.01 mm; 0 when unknown.
    int MMWidth() const { return mmWidth_; }
    int MMHeight() const { return mmHeight_; }
    // A Windows metafile with the placeable header.
    bool IsPlaceable() const;
    void Clear();

    // Any of the three kinds, recognised by its signature; false (object unchanged) otherwise.
    bool LoadFromBytes(std::span<const std::uint8_t> bytes);

    // CF_ENHMETAFILE: the enhanced metafile's bytes. The block of a Windows metafile is empty.
    bool LoadFromEnhMetafileBlock(std::span<const std::uint8_t> block);
    std::vector<std::uint8_t> EnhMetafileBlock() const;
    // CF_METAFILEPICT: the 16-byte header and the plain Windows metafile. The block of an enhanced
    // metafile is empty.
    bool LoadFromMetafilePict(std::span<const std::uint8_t> block);
    std::vector<std::uint8_t> MetafilePictBlock() const;

    // Files hold the bytes as Bytes() gives them. LoadFromFile throws EGraphicOpenError when the file
    // cannot be opened and EInvalidGraphic when it holds no metafile (object unchanged); SaveToFile
    // replaces the file atomically and throws EGraphicOpenError when it cannot (also for an empty
    // metafile).
    void LoadFromFile(const std::string& path);
    void SaveToFile(const std::string& path) const;

private:
    Kind kind_ = Kind::None;
    std::vector<std::uint8_t> bytes_;
    std::int32_t mapMode_ = MM_ANISOTROPIC;
    std::int32_t xExt_ = 0; // the block's extents (0.01 mm for the isotropic modes)
    std::int32_t yExt_ = 0;
    int mmWidth_ = 0;
    int mmHeight_ = 0;
};

} // namespace bx::clipstore
