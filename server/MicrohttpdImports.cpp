// SPDX-License-Identifier: GPL-3.0-or-later
#include "MicrohttpdImports.h"

#include "ServerLog.h"

#include <microhttpd.h>

#include <dlfcn.h>
#include <link.h>
#include <sys/mman.h>
#include <sys/socket.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <span>
#include <string_view>

namespace server::microhttpd {

namespace {

using Mmap = void* (*)(void*, size_t, int, int, int, off_t);
using Recv = ssize_t (*)(int, void*, size_t, int);

std::atomic<Mmap> g_mmap = nullptr; // the library's own, before ours
std::atomic<Recv> g_recv = nullptr;

// Sockets whose first bytes are still to be judged, by descriptor; higher ones are not
// screened (connections are capped far below).
std::array<std::atomic<bool>, 65536> g_unscreened = {};

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

// RFC 9110's token characters: a method is made of them.
bool isTokenCharacter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
           std::string_view("!#$%&'*+-.^_`|~").find(c) != std::string_view::npos;
}

enum class Start { Request, NotHttp, Undecided };

// What the first bytes of a connection begin. A request line starts with a method, a
// token, ended by a space; empty lines before it are allowed (RFC 9112, 2.2). A method
// not yet ended is left to the library.
Start startOf(std::string_view bytes)
{
    const size_t method = bytes.find_first_not_of("\r\n");
    if (method == std::string_view::npos)
        return Start::Undecided;
    for (size_t i = method; i < bytes.size(); ++i) {
        if (bytes[i] == ' ')
            return i > method ? Start::Request : Start::NotHttp;
        if (!isTokenCharacter(bytes[i]))
            return Start::NotHttp;
    }
    return Start::Request;
}

// "Date: ..." in the form HTTP requires, whatever the locale.
std::string_view dateLine(char (&line)[64])
{
    static constexpr const char* days[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static constexpr const char* months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                             "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    const std::time_t now = std::time(nullptr);
    std::tm utc = {};
    ::gmtime_r(&now, &utc);
    const int length = std::snprintf(
        line, sizeof(line), "Date: %s, %02d %s %04d %02d:%02d:%02d GMT\r\n", days[utc.tm_wday],
        utc.tm_mday, months[utc.tm_mon], utc.tm_year + 1900, utc.tm_hour, utc.tm_min, utc.tm_sec);
    return {line, size_t(length > 0 ? length : 0)};
}

// Sent on the socket itself, before the library has written anything to it: small
// enough for any socket buffer, so a non-blocking send takes it whole.
void answerNotHttp(int socket)
{
    static constexpr std::string_view body = "Bad Request: not an HTTP request.\n";
    char line[64];
    const std::string_view date = dateLine(line);
    char head[256];
    const int length =
        std::snprintf(head, sizeof(head),
                      "HTTP/1.1 400 Bad Request\r\n%.*sConnection: close\r\n"
                      "Content-Type: text/plain; charset=utf-8\r\nContent-Length: %zu\r\n\r\n%.*s",
                      int(date.size()), date.data(), body.size(), int(body.size()), body.data());
    if (length > 0 && size_t(length) < sizeof(head))
        ::send(socket, head, size_t(length), MSG_NOSIGNAL | MSG_DONTWAIT);
}

ssize_t screenedRecv(int socket, void* buffer, size_t size, int flags)
{
    const ssize_t received = g_recv.load(std::memory_order_relaxed)(socket, buffer, size, flags);
    if (received <= 0 || socket < 0 || size_t(socket) >= g_unscreened.size() ||
        !g_unscreened[size_t(socket)].load(std::memory_order_relaxed))
        return received;
    const Start start = startOf({static_cast<const char*>(buffer), size_t(received)});
    if (start == Start::Undecided)
        return received;
    g_unscreened[size_t(socket)].store(false, std::memory_order_relaxed);
    if (start == Start::Request)
        return received;
    answerNotHttp(socket);
    return 0; // as if the client had closed: the library closes the connection at once
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

// Points the entries of `imports` among the relocations of the object `info` at ours.
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
            // The loader has relocated the dynamic section's addresses, unless it is read-only.
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
        std::array<Import, 2> imports = {{{"mmap", reinterpret_cast<void*>(&poolMemory)},
                                          {"recv", reinterpret_cast<void*>(&screenedRecv)}}};
        // Ours are in place as soon as an entry is written: what they call must be there.
        g_mmap = reinterpret_cast<Mmap>(::dlsym(RTLD_DEFAULT, "mmap"));
        g_recv = reinterpret_cast<Recv>(::dlsym(RTLD_DEFAULT, "recv"));
        const bool all = rebind(imports);
        // The library's own targets, where they differ (a sanitizer's interceptors).
        if (imports[0].original)
            g_mmap = reinterpret_cast<Mmap>(imports[0].original);
        if (imports[1].original)
            g_recv = reinterpret_cast<Recv>(imports[1].original);
        if (!all)
            qCWarning(lcServer) << "cannot rebind libmicrohttpd's mmap and recv: new connections"
                                   " may cost more, and some that send no HTTP wait for the idle"
                                   " timeout";
        return all;
    }();
    return rebound;
}

void screenFirstBytes(int socket)
{
    if (socket >= 0 && size_t(socket) < g_unscreened.size())
        g_unscreened[size_t(socket)].store(true, std::memory_order_relaxed);
}

void forgetSocket(int socket)
{
    if (socket >= 0 && size_t(socket) < g_unscreened.size())
        g_unscreened[size_t(socket)].store(false, std::memory_order_relaxed);
}

} // namespace server::microhttpd
