#include "shell/message_caption.h"

MessageCaption messageCaption(unsigned ansiCodePage, int cyrillicCaptionId, int englishCaptionId) {
    if (ansiCodePage == kCyrillicCodePage) return {cyrillicCaptionId ? cyrillicCaptionId : kErrorCaptionId, nullptr};
    return {0, englishCaptionId ? u"Info" : u"Error"};
}
