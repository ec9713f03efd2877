#pragma once

#include <utility>

#include <unistd.h>

// Sole owner of an open file descriptor, closed when the owner goes.
class FileDescriptor {
public:
    FileDescriptor() = default;
    explicit FileDescriptor(int owned)
        : descriptor(owned) {}
    FileDescriptor(FileDescriptor&& other) noexcept
        : descriptor(std::exchange(other.descriptor, -1)) {}
    FileDescriptor& operator=(FileDescriptor&& other) noexcept {
        std::swap(descriptor, other.descriptor);
        return *this;
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    ~FileDescriptor() {
        if (descriptor >= 0)
            ::close(descriptor);
    }

    int get() const { return descriptor; }
    bool isOpen() const { return descriptor >= 0; }

private:
    int descriptor = -1;
};
