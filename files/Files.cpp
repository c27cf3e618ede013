#include "files/Files.h"

namespace files {

std::string Describe(Error error) {
    switch (error) {
        case kOk:
            return "no error";
        case kFileNotFound:
            return "the file was not found";
        case kPathNotFound:
            return "the folder was not found";
        case kAccessDenied:
            return "access is denied";
        case kSharingViolation:
            return "another program is using the file";
        case kDiskFull:
            return "the disk is full";
        case kFileTooLarge:
            return "it is larger than 1 MiB, more than any backup or profile";
        default:
            return "error " + std::to_string(error);
    }
}

}  // namespace files
