/* The reference for bench/batch_compile.sh: Debian's libtifiles writing the
 * same TI-85 strings as vellum-cli compile, one file per input, in one
 * process. Usage: tifiles_writer OUT_FOLDER INPUT.txt... */
#include <glib.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <tifiles.h>

static char* readAll(const char* path, size_t* size) {
    FILE* in = fopen(path, "rb");
    if (in == NULL) {
        return NULL;
    }
    char* bytes = NULL;
    size_t used = 0, room = 0;
    for (;;) {
        if (used == room) {
            room = room ? room * 2 : 4096;
            bytes = realloc(bytes, room);
        }
        const size_t got = fread(bytes + used, 1, room - used, in);
        if (got == 0) {
            break;
        }
        used += got;
    }
    fclose(in);
    *size = used;
    return bytes;
}

int main(int argc, char** argv) {
    tifiles_library_init();
    for (int i = 2; i < argc; ++i) {
        size_t size = 0;
        char* text = readAll(argv[i], &size);
        if (text == NULL) {
            return 1;
        }
        /* The string body as the editor writes it: 00 EF, the text with LF
         * line ends, 00 00; the length word in front. */
        uint8_t* data = tifiles_ve_alloc_data(size + 6);
        size_t n = 4;
        for (size_t k = 0; k < size; ++k) {
            if (!(text[k] == '\r' && k + 1 < size && text[k + 1] == '\n')) {
                data[n++] = (uint8_t)text[k];
            }
        }
        data[2] = 0x00;
        data[3] = 0xEF;
        data[n++] = 0;
        data[n++] = 0;
        data[0] = (uint8_t)((n - 2) & 0xFF);
        data[1] = (uint8_t)((n - 2) >> 8);
        free(text);

        VarEntry* entry = tifiles_ve_create();
        const char* base = strrchr(argv[i], '/');
        base = base ? base + 1 : argv[i];
        snprintf(entry->name, sizeof entry->name, "%.*s", (int)strcspn(base, "."), base);
        entry->type = 0x0C;
        entry->data = data;
        entry->size = (uint32_t)n;
        FileContent* content = tifiles_content_create_regular(CALC_TI85);
        tifiles_content_add_entry(content, entry);
        char out[4096];
        snprintf(out, sizeof out, "%s/%.*s.85s", argv[1], (int)strcspn(base, "."), base);
        if (tifiles_file_write_regular(out, content, NULL) != 0) {
            return 1;
        }
        tifiles_content_delete_regular(content);
    }
    return 0;
}
