#pragma once
// The settings tree: every node carries a version, named byte values and named
// child nodes, keyed by exact (case-sensitive) UTF-16 strings. Values and
// children are separate key spaces. The archive knows no types: integers,
// text and structures are conventions of the code that stores them.
#include <boost/functional/hash.hpp>
#include <boost/pool/pool_alloc.hpp>
#include <boost/unordered_map.hpp>

#include <functional>
#include <utility>

#include "vela/storage/file.h"

namespace vela {

template <class Mapped>
using PooledMap = boost::unordered_map<WString, Mapped, boost::hash<WString>, std::equal_to<WString>,
                                       boost::fast_pool_allocator<std::pair<const WString, Mapped>>>;

class Archive {
public:
    using ValueMap = PooledMap<Bytes>;
    using ChildMap = PooledMap<Archive>;

    explicit Archive(INT32 nodeVersion = 0);

    // The child under key, inserted empty (version 0) when missing.
    Archive& Child(const WString& key);
    // The value under key, inserted empty when missing.
    Bytes& Value(const WString& key);
    // The value under key, or null; never inserts.
    const Bytes* FindValue(const WString& key) const;

    // Text is stored as its UTF-16LE code units without a terminator.
    void SetString(const WString& key, const WString& text);
    // The stored text (an odd last byte is ignored), or fallback when the key
    // is absent. An empty value gives the empty string.
    WString GetString(const WString& key, WString fallback) const;

    // Serialises this node and its subtree at the file's position.
    bool Write(File& file) const;
    // Parses one node from the file's position and merges it in by key. False
    // when the data ended early or was damaged; what was read completely
    // before that is kept.
    bool Read(File& file);

    // The settings file: the version word, then the serialised tree as one
    // compressed block. Saving replaces the file whole or not at all.
    bool SaveFile(const WString& path) const;
    // False when the file cannot be opened or its payload is damaged; a
    // payload that does not inflate leaves this archive as it was.
    bool LoadFile(const WString& path);
    // The file's first 32-bit word (missing bytes are 0), or 0 when the file
    // cannot be opened.
    static INT32 PeekVersion(const WString& path);

    INT32 version;
    ValueMap values;
    ChildMap children;

private:
    bool ReadNode(File& file, int depth);
};

} // namespace vela
