#include "platform/TempFile.h"

#include <windows.h>

#include <cstdio>
#include <vector>

namespace {

constexpr int attempts = 100;

HANDLE toHandle(intptr_t h) {
    return reinterpret_cast<HANDLE>(h);
}

// Not a secret, only a name that differs from run to run and from process to process;
// CREATE_NEW is what keeps the creation safe.
std::string uniquePart(int attempt) {
    static LONG counter = 0;
    LONG n = InterlockedIncrement(&counter);
    char text[40];
    std::snprintf(text, sizeof text, "%lX%lX%lX", GetCurrentProcessId(), GetTickCount(),
                  static_cast<unsigned long>(n + attempt));
    return text;
}

// A security descriptor whose only entry gives the current user full access, so other users
// of the machine cannot read the image whatever the folder's inherited permissions say.
class OwnerOnlySecurity {
  public:
    OwnerOnlySecurity() {
        HANDLE token = nullptr;
        if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token))
            return;
        DWORD size = 0;
        GetTokenInformation(token, TokenUser, nullptr, 0, &size);
        tokenUser_.resize(size);
        bool haveUser =
            size != 0 && GetTokenInformation(token, TokenUser, tokenUser_.data(), size, &size);
        CloseHandle(token);
        if (!haveUser)
            return;
        PSID sid = reinterpret_cast<TOKEN_USER*>(tokenUser_.data())->User.Sid;
        DWORD aclSize = sizeof(ACL) + sizeof(ACCESS_ALLOWED_ACE) + GetLengthSid(sid);
        acl_.resize(aclSize);
        PACL acl = reinterpret_cast<PACL>(acl_.data());
        if (!InitializeAcl(acl, aclSize, ACL_REVISION) ||
            !AddAccessAllowedAce(acl, ACL_REVISION, GENERIC_ALL, sid) ||
            !InitializeSecurityDescriptor(&descriptor_, SECURITY_DESCRIPTOR_REVISION) ||
            !SetSecurityDescriptorDacl(&descriptor_, TRUE, acl, FALSE))
            return;
        attributes_.nLength = sizeof attributes_;
        attributes_.lpSecurityDescriptor = &descriptor_;
        attributes_.bInheritHandle = FALSE;
        ready_ = true;
    }
    SECURITY_ATTRIBUTES* attributes() { return ready_ ? &attributes_ : nullptr; }
    bool ready() const { return ready_; }

  private:
    std::vector<BYTE> tokenUser_;
    std::vector<BYTE> acl_;
    SECURITY_DESCRIPTOR descriptor_{};
    SECURITY_ATTRIBUTES attributes_{};
    bool ready_ = false;
};

} // namespace

std::string TempFile::defaultDirectory() {
    char system[MAX_PATH + 1] = {};
    UINT n = GetSystemDirectoryA(system, MAX_PATH);
    std::string dir = (n >= 2 && n <= MAX_PATH) ? std::string(system, 2) : std::string("C:");
    dir += "\\Temp\\";
    CreateDirectoryA(dir.c_str(), nullptr); // an existing folder is fine
    return dir;
}

TempFile TempFile::create(const std::string& prefix, const std::string& suffix) {
    return createIn(defaultDirectory(), prefix, suffix);
}

TempFile TempFile::createIn(const std::string& directory, const std::string& prefix,
                            const std::string& suffix) {
    TempFile file;
    std::string dir = directory;
    if (!dir.empty() && dir.back() != '\\' && dir.back() != '/')
        dir += '\\';
    for (int i = 0; i < attempts; ++i) {
        file = createAt(dir + prefix + uniquePart(i) + suffix);
        if (file.valid() ||
            (file.error_ != ERROR_FILE_EXISTS && file.error_ != ERROR_ALREADY_EXISTS))
            break;
    }
    return file;
}

TempFile TempFile::createAt(const std::string& path) {
    TempFile file;
    OwnerOnlySecurity security;
    if (!security.ready()) {
        // Without a private descriptor the file would take the folder's permissions.
        file.error_ = GetLastError() != 0 ? GetLastError() : ERROR_ACCESS_DENIED;
        return file;
    }
    // CREATE_NEW fails on any existing name, so nothing planted there is ever opened.
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, security.attributes(), CREATE_NEW,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        file.error_ = GetLastError();
        return file;
    }
    file.handle_ = reinterpret_cast<intptr_t>(h);
    file.path_ = path;
    return file;
}

bool TempFile::write(const void* data, size_t size) {
    if (!valid())
        return false;
    const char* p = static_cast<const char*>(data);
    while (size > 0) {
        DWORD chunk = size > 0x100000 ? 0x100000 : static_cast<DWORD>(size);
        DWORD done = 0;
        if (!WriteFile(toHandle(handle_), p, chunk, &done, nullptr) || done == 0) {
            error_ = GetLastError();
            return false;
        }
        p += done;
        size -= done;
    }
    return true;
}

bool TempFile::close() {
    if (!valid())
        return true;
    HANDLE h = toHandle(handle_);
    handle_ = invalidHandle;
    if (!CloseHandle(h)) {
        error_ = GetLastError();
        return false;
    }
    return true;
}

bool removeFile(const std::string& path) {
    if (path.empty())
        return false;
    if (DeleteFileA(path.c_str()))
        return true;
    DWORD err = GetLastError();
    return err == ERROR_FILE_NOT_FOUND || err == ERROR_PATH_NOT_FOUND;
}
