#include "store/Messages.h"

#include "runtime/MessageBox.h"

namespace store {
void ShowCanNotOpen() { runtime::MsgBox(kCanNotOpen, runtime::kStyleExclamationModal, kCaptionError); }
void ShowCorrupted() { runtime::MsgBox(kCorrupted, runtime::kStyleCritical, kCaptionRead); }
}  // namespace store
