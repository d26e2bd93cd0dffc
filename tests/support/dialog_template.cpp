#include "tests/support/dialog_template.h"

#include <cstring>

namespace {

// A bounds-checked cursor over the template's bytes.
class Reader {
public:
    Reader(const BYTE* data, size_t size) : data_(data), size_(size) {}

    bool ok() const { return ok_; }

    template <typename T>
    T Get()
    {
        T value{};
        if (!ok_ || size_ - pos_ < sizeof(T)) {
            ok_ = false;
            return value;
        }
        std::memcpy(&value, data_ + pos_, sizeof(T));
        pos_ += sizeof(T);
        return value;
    }

    WString String()
    {
        WString text;
        for (WCHAR c = Get<WCHAR>(); ok_ && c != 0; c = Get<WCHAR>())
            text += c;
        return text;
    }

    // A "string or ordinal" field: 0 none, 0xFFFF then an ordinal, else text.
    void StringOrOrdinal(WORD& ordinal, WString& text)
    {
        WORD first = Get<WORD>();
        if (first == 0xFFFF) {
            ordinal = Get<WORD>();
        } else if (first != 0) {
            text += static_cast<WCHAR>(first);
            text += String();
        }
    }

    void AlignToDword() { pos_ = (pos_ + 3) & ~size_t(3); }
    void Skip(size_t count)
    {
        if (size_ - pos_ < count)
            ok_ = false;
        else
            pos_ += count;
    }

private:
    const BYTE* data_;
    size_t size_;
    size_t pos_ = 0;
    bool ok_ = true;
};

}  // namespace

bool LoadDialogTemplate(HMODULE module, WORD id, DialogTemplate& out)
{
    HRSRC info = FindResourceW(module, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(5) /* RT_DIALOG */);
    HGLOBAL handle = info ? LoadResource(module, info) : nullptr;
    const void* data = handle ? LockResource(handle) : nullptr;
    if (!data)
        return false;
    Reader r(static_cast<const BYTE*>(data), SizeofResource(module, info));

    if (r.Get<WORD>() != 1 || r.Get<WORD>() != 0xFFFF)
        return false;
    r.Get<DWORD>();  // help id
    out.exStyle = r.Get<DWORD>();
    out.style = r.Get<DWORD>();
    WORD count = r.Get<WORD>();
    out.x = r.Get<short>();
    out.y = r.Get<short>();
    out.cx = r.Get<short>();
    out.cy = r.Get<short>();
    WORD ordinal = 0;
    WString ignored;
    r.StringOrOrdinal(ordinal, ignored);  // menu
    r.StringOrOrdinal(ordinal, ignored);  // window class
    out.caption = r.String();
    if (out.style & (DS_SETFONT | DS_FIXEDSYS)) {
        out.pointSize = r.Get<WORD>();
        out.weight = r.Get<WORD>();
        out.italic = r.Get<BYTE>();
        out.charset = r.Get<BYTE>();
        out.font = r.String();
    }

    out.items.clear();
    for (WORD i = 0; i < count && r.ok(); ++i) {
        r.AlignToDword();
        TemplateItem item;
        r.Get<DWORD>();  // help id
        item.exStyle = r.Get<DWORD>();
        item.style = r.Get<DWORD>();
        item.x = r.Get<short>();
        item.y = r.Get<short>();
        item.cx = r.Get<short>();
        item.cy = r.Get<short>();
        item.id = static_cast<int>(r.Get<DWORD>());
        r.StringOrOrdinal(item.classAtom, item.className);
        WORD captionOrdinal = 0;
        r.StringOrOrdinal(captionOrdinal, item.caption);
        r.Skip(r.Get<WORD>());  // creation data
        out.items.push_back(item);
    }
    return r.ok();
}
