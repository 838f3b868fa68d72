/* wkdictchost <language ID> <text>: a host of the translation library written
   in plain C, with no Qt and no application object. It loads the library by
   file name from its own folder, translates the text once, prints the
   translation (UTF-8, one line) and returns from main with the library still
   loaded, as such a host does: the library must end cleanly in it. */
#include <dlfcn.h>
#include <limits.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

typedef const uint16_t* (*TTranslateFunc)(int32_t, const uint16_t*);

/* UTF-8 to zero-terminated UTF-16; malformed bytes become U+FFFD. */
static uint16_t* Utf16(const char* s) {
    const size_t n = strlen(s);
    uint16_t* out = malloc((n + 1) * sizeof *out);
    size_t o = 0;
    if (!out) return NULL;
    for (size_t i = 0; i < n;) {
        const unsigned char c = (unsigned char)s[i];
        uint32_t cp = 0xFFFD;
        size_t len = 1;
        if (c < 0x80) cp = c;
        else if (c >= 0xC2 && c < 0xE0) len = 2, cp = c & 0x1F;
        else if (c >= 0xE0 && c < 0xF0) len = 3, cp = c & 0x0F;
        else if (c >= 0xF0 && c < 0xF5) len = 4, cp = c & 0x07;
        if (len > 1) {
            if (i + len > n) len = 1, cp = 0xFFFD;
            for (size_t k = 1; k < len; ++k) {
                const unsigned char b = (unsigned char)s[i + k];
                if ((b & 0xC0) != 0x80) {
                    len = 1, cp = 0xFFFD;
                    break;
                }
                cp = (cp << 6) | (b & 0x3F);
            }
        }
        i += len;
        if (cp >= 0x10000) {
            out[o++] = (uint16_t)(0xD800 + ((cp - 0x10000) >> 10));
            out[o++] = (uint16_t)(0xDC00 + ((cp - 0x10000) & 0x3FF));
        } else {
            out[o++] = (uint16_t)cp;
        }
    }
    out[o] = 0;
    return out;
}

/* Zero-terminated UTF-16 to stdout as UTF-8. */
static void PrintUtf8(const uint16_t* s) {
    for (; *s; ++s) {
        uint32_t cp = *s;
        if (cp >= 0xD800 && cp < 0xDC00 && s[1] >= 0xDC00 && s[1] < 0xE000) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (s[1] - 0xDC00);
            ++s;
        }
        if (cp < 0x80) {
            putchar((int)cp);
        } else if (cp < 0x800) {
            putchar((int)(0xC0 | (cp >> 6)));
            putchar((int)(0x80 | (cp & 0x3F)));
        } else if (cp < 0x10000) {
            putchar((int)(0xE0 | (cp >> 12)));
            putchar((int)(0x80 | ((cp >> 6) & 0x3F)));
            putchar((int)(0x80 | (cp & 0x3F)));
        } else {
            putchar((int)(0xF0 | (cp >> 18)));
            putchar((int)(0x80 | ((cp >> 12) & 0x3F)));
            putchar((int)(0x80 | ((cp >> 6) & 0x3F)));
            putchar((int)(0x80 | (cp & 0x3F)));
        }
    }
    putchar('\n');
}

int main(int argc, char** argv) {
    char file[PATH_MAX + 32];
    ssize_t n;
    char* slash;
    void* library;
    TTranslateFunc translate;
    uint16_t* text;

    if (argc != 3) {
        fprintf(stderr, "usage: wkdictchost <language ID> <text>\n");
        return 2;
    }
    n = readlink("/proc/self/exe", file, PATH_MAX);
    if (n <= 0) {
        perror("wkdictchost: /proc/self/exe");
        return 1;
    }
    file[n] = 0;
    slash = strrchr(file, '/');
    strcpy(slash ? slash + 1 : file, "libWKDictionary.so");
    library = dlopen(file, RTLD_NOW | RTLD_LOCAL);
    if (!library) {
        fprintf(stderr, "wkdictchost: %s\n", dlerror());
        return 1;
    }
    *(void**)(&translate) = dlsym(library, "Translate");
    if (!translate) {
        fprintf(stderr, "wkdictchost: the library lacks Translate\n");
        return 1;
    }
    text = Utf16(argv[2]);
    if (!text) return 1;
    PrintUtf8(translate((int32_t)strtol(argv[1], NULL, 10), text));
    free(text);
    fflush(stdout);
    /* The library stays loaded until the program ends. */
    return 0;
}
