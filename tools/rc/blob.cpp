#include "blob.h"

#include "res_format.h"

#include <algorithm>
#include <map>

namespace rc {

Bytes buildBlob(std::vector<Resource> resources) {
    std::sort(resources.begin(), resources.end(), [](const Resource& a, const Resource& b) {
        if (!(a.type == b.type)) return a.type < b.type;
        return a.name < b.name;
    });
    // Name pool: each distinct name once.
    std::map<std::string, uint32_t> nameOffset;
    ByteWriter pool;
    size_t poolStart = sizeof(ResBlobHeader) + resources.size() * sizeof(ResBlobEntry);
    auto field = [&](const ResId& id) -> uint32_t {
        if (!id.isName) return id.id;
        auto it = nameOffset.find(id.name);
        if (it != nameOffset.end()) return it->second;
        uint32_t off = static_cast<uint32_t>(poolStart + pool.size());
        for (char c : id.name) pool.u8(static_cast<unsigned char>(c));
        pool.u8(0);
        nameOffset[id.name] = off;
        return off;
    };
    std::vector<uint32_t> types, names;
    for (const Resource& r : resources) {
        types.push_back(field(r.type));
        names.push_back(field(r.name));
    }
    pool.align4();
    size_t dataStart = poolStart + pool.size();

    ByteWriter out;
    std::vector<uint32_t> offsets;
    size_t at = dataStart;
    for (const Resource& r : resources) {
        offsets.push_back(static_cast<uint32_t>(at));
        at += (r.data.size() + 3) & ~size_t{3};
    }
    if (at > 0x7FFFFFFF) throw Error("compiled resources exceed 2 GiB");
    out.u32(RES_BLOB_MAGIC);
    out.u32(static_cast<uint32_t>(resources.size()));
    out.u32(static_cast<uint32_t>(at));
    out.u32(0);
    for (size_t i = 0; i < resources.size(); ++i) {
        bool typeNamed = resources[i].type.isName, nameNamed = resources[i].name.isName;
        out.u32(typeNamed ? (RES_NAME_FLAG | types[i]) : types[i]);
        out.u32(nameNamed ? (RES_NAME_FLAG | names[i]) : names[i]);
        out.u32(offsets[i]);
        out.u32(static_cast<uint32_t>(resources[i].data.size()));
    }
    out.raw(pool.bytes());
    for (const Resource& r : resources) {
        out.raw(r.data);
        out.align4();
    }
    return std::move(out.bytes());
}

}  // namespace rc
