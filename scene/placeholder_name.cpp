#include "scene/placeholder_name.h"

void advancePlaceholderName(std::string& name) {
    for (size_t i = name.size(); i-- > 0;) {
        if (name[i] != 'z') {
            ++name[i];
            for (size_t j = i + 1; j < name.size(); ++j) name[j] = 'a';
            return;
        }
    }
}
