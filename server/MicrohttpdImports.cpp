// SPDX-License-Identifier: GPL-3.0-or-later
#include "MicrohttpdImports.h"

#include "ServerLog.h"

#include <microhttpd.h>

#include <dlfcn.h>
#include <link.h>
#include <sys/mman.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <span>

namespace server::microhttpd {

namespace {

using Mmap = void* (*)(void*, size_t, int, int, int, off_t);

std::atomic<Mmap> g_mmap = nullptr; // the library's own, before ours

void* poolMemory(void* address, size_t length, int protection, int flags, int fd, off_t offset)
{
    // The library maps nothing but its connections' memory pools (0.9.75), and takes a
    // pool from malloc when the map fails.
    if (!address && fd == -1 && (flags & MAP_ANONYMOUS)) {
        errno = ENOMEM;
        return MAP_FAILED;
    }
    return g_mmap.load(std::memory_order_relaxed)(address, length, protection, flags, fd, offset);
}

struct Import
{
    const char* name;
    void* ours;
    void* original = nullptr;
};

#if __ELF_NATIVE_CLASS == 64
constexpr size_t symbolIndex(Elf64_Xword info)
{
    return ELF64_R_SYM(info);
}
#else
constexpr size_t symbolIndex(Elf32_Word info)
{
    return ELF32_R_SYM(info);
}
#endif

// Points the relocated entries of `imports` in the object `info` at ours. Its dynamic
// section holds addresses relocated by the loader, or offsets where it is read-only.
template <typename Relocation>
int rebindIn(const dl_phdr_info& info, const Relocation* relocations, size_t bytes,
             const ElfW(Sym) * symbols, const char* names, ElfW(Addr) relroStart,
             ElfW(Addr) relroEnd, std::span<Import> imports)
{
    const auto page = uintptr_t(::sysconf(_SC_PAGESIZE));
    int rebound = 0;
    for (size_t i = 0; i < bytes / sizeof(Relocation); ++i) {
        const char* name = names + symbols[symbolIndex(relocations[i].r_info)].st_name;
        for (Import& import : imports) {
            if (std::strcmp(name, import.name) != 0 || import.original)
                continue;
            const ElfW(Addr) at = info.dlpi_addr + relocations[i].r_offset;
            auto* slot = reinterpret_cast<void**>(at);
            // Bound at load (BIND_NOW) and made read-only after (RELRO): open for the write.
            const bool readOnly = at >= relroStart && at < relroEnd;
            void* start = reinterpret_cast<void*>(at & ~(page - 1));
            if (readOnly && ::mprotect(start, page, PROT_READ | PROT_WRITE) != 0)
                return rebound;
            import.original = __atomic_load_n(slot, __ATOMIC_ACQUIRE);
            __atomic_store_n(slot, import.ours, __ATOMIC_RELEASE);
            if (readOnly)
                ::mprotect(start, page, PROT_READ);
            ++rebound;
        }
    }
    return rebound;
}

bool rebind(std::span<Import> imports)
{
    // The library, found by one of its functions: whatever its file is called.
    Dl_info library = {};
    if (::dladdr(reinterpret_cast<void*>(&MHD_start_daemon), &library) == 0 || !library.dli_fname)
        return false;
    struct Search
    {
        const char* file;
        std::span<Import> imports;
        size_t rebound = 0;
    } search{library.dli_fname, imports};
    ::dl_iterate_phdr(
        [](dl_phdr_info* info, size_t, void* data) -> int {
            auto& search = *static_cast<Search*>(data);
            if (!info->dlpi_name || std::strcmp(info->dlpi_name, search.file) != 0)
                return 0;
            const ElfW(Dyn)* dynamic = nullptr;
            ElfW(Addr) relroStart = 0;
            ElfW(Addr) relroEnd = 0;
            for (int i = 0; i < info->dlpi_phnum; ++i) {
                const ElfW(Phdr)& header = info->dlpi_phdr[i];
                if (header.p_type == PT_DYNAMIC)
                    dynamic = reinterpret_cast<const ElfW(Dyn)*>(info->dlpi_addr + header.p_vaddr);
                if (header.p_type == PT_GNU_RELRO) {
                    relroStart = info->dlpi_addr + header.p_vaddr;
                    relroEnd = relroStart + header.p_memsz;
                }
            }
            if (!dynamic)
                return 1;
            const auto address = [info](ElfW(Addr) value) {
                return value < info->dlpi_addr ? info->dlpi_addr + value : value;
            };
            ElfW(Addr) relocations = 0;
            ElfW(Addr) symbols = 0;
            ElfW(Addr) names = 0;
            size_t bytes = 0;
            ElfW(Sxword) kind = 0;
            for (const ElfW(Dyn)* entry = dynamic; entry->d_tag != DT_NULL; ++entry) {
                switch (entry->d_tag) {
                case DT_JMPREL:
                    relocations = address(entry->d_un.d_ptr);
                    break;
                case DT_PLTRELSZ:
                    bytes = entry->d_un.d_val;
                    break;
                case DT_PLTREL:
                    kind = ElfW(Sxword)(entry->d_un.d_val);
                    break;
                case DT_SYMTAB:
                    symbols = address(entry->d_un.d_ptr);
                    break;
                case DT_STRTAB:
                    names = address(entry->d_un.d_ptr);
                    break;
                default:
                    break;
                }
            }
            if (!relocations || !symbols || !names)
                return 1;
            const auto* symbolTable = reinterpret_cast<const ElfW(Sym)*>(symbols);
            const auto* nameTable = reinterpret_cast<const char*>(names);
            search.rebound =
                kind == DT_RELA
                    ? size_t(rebindIn(*info, reinterpret_cast<const ElfW(Rela)*>(relocations),
                                      bytes, symbolTable, nameTable, relroStart, relroEnd,
                                      search.imports))
                    : size_t(rebindIn(*info, reinterpret_cast<const ElfW(Rel)*>(relocations), bytes,
                                      symbolTable, nameTable, relroStart, relroEnd,
                                      search.imports));
            return 1;
        },
        &search);
    return search.rebound == imports.size();
}

} // namespace

bool rebindImports()
{
    static const bool rebound = [] {
        std::array<Import, 1> imports = {{{"mmap", reinterpret_cast<void*>(&poolMemory)}}};
        // Ours is in place as soon as the entry is written: what it calls must be there.
        g_mmap = reinterpret_cast<Mmap>(::dlsym(RTLD_DEFAULT, "mmap"));
        const bool all = rebind(imports);
        // The library's own target, where it differs (a sanitizer's interceptor).
        if (imports[0].original)
            g_mmap = reinterpret_cast<Mmap>(imports[0].original);
        if (!all)
            qCWarning(lcServer) << "cannot rebind libmicrohttpd's mmap: new connections may cost"
                                   " more";
        return all;
    }();
    return rebound;
}

} // namespace server::microhttpd
