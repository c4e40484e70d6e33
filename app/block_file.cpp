// Reading the block data file into the block table.
#include "app/app.h"

#include "common/common.h"
#include "platform/platform.h"

std::FILE *openBlockFile(const char *name) {
    // Read-only: the file is never written, and a write-protected file must load. Binary: the
    // same bytes on every system (a text-mode stream on Windows ends at a Ctrl-Z byte).
    std::FILE *file = std::fopen(name, "rb");
    if (file == nullptr) {
        return nullptr;
    }
    // A directory opens but cannot be read; one probe read tells. The byte goes back, as
    // the reader's rewind cannot restore it on a pipe.
    int first = std::fgetc(file);
    if (std::ferror(file)) {
        std::fclose(file);
        return nullptr;
    }
    if (first != EOF) {
        std::ungetc(first, file);
    }
    return file;
}

std::FILE *openBlockFileOrQuit(const char *name) {
    std::FILE *file = openBlockFile(name);
    if (file == nullptr) {
        consolePrint("%s%s\n", OPEN_ERROR_TEXT, name);
        quitProgram(1);
    }
    return file;
}

// The reader; with cut (start-up's bytes stop short of the file), a record that those bytes
// end inside stops it before the record is checked or stored, and true is returned.
static bool readRecords(std::FILE *file, bool cut) {
    bool recordCut = false;
    std::rewind(file);
    // Kept across records: a conversion that fails leaves the previous record's value.
    float x = 0.0f, y = 0.0f, z = 0.0f;
    int tag = 0, color = 0;

    // A read error ends the loop as the end of the file does, so it cannot spin.
    // The count, not a flag cleared here: a caller may append to a table already full.
    while (!std::feof(file) && !std::ferror(file) && blockCount < MAX_BLOCKS) {
        char start = '\0';
        // A stream that cannot be read at all fails without setting either indicator.
        if (std::fscanf(file, "%c", &start) == EOF) {
            break;
        }
        if (start != 'c') {
            continue;
        }
        std::fscanf(file, "\t%f\t%f\t%f", &x, &y, &z);
        // The trailing newline in a call of its own, made only where one format would reach it
        // (both numbers read): the end met before it means the record, or its last number, may
        // go on past the bytes.
        bool bothRead = std::fscanf(file, "\t%d\t%d", &tag, &color) == 2;
        if (cut && std::feof(file)) {
            recordCut = true;
            break;
        }
        if (bothRead) {
            std::fscanf(file, "\n");
        }
        if (color > 11 || color < 0) {
            consolePrint(READ_ERROR_TEXT);
            consolePrint(COLOUR_ERROR_TEXT);
            quitProgram(1);
        }
        if (z == 0.0f) {
            consolePrint(RELOCATED_TEXT);
            z = 0.5f;
        }
        blockTable[blockCount] = {x, y, z, tag, color, 1};
        blockCount++;
    }
    setRestPose();
    return recordCut;
}

void readBlockFile(std::FILE *file) {
    readRecords(file, false);
}

void loadBlockFile(std::FILE *file) {
    // Static: a fatal error may leave without unwinding (the page's quitProgram), and the
    // page loads file after file.
    static char bytes[BLOCK_FILE_LIMIT];
    static std::FILE *stream = nullptr; // left open by such an error; closed on the next load
    if (stream != nullptr) {
        std::fclose(stream);
    }
    std::size_t size = std::fread(bytes, 1, sizeof bytes, file);
    bool more = size == sizeof bytes && std::fgetc(file) != EOF;
    stream = memoryStream(bytes, size);
    if (stream == nullptr) {
        consolePrint(READ_ERROR_TEXT);
        quitProgram(1);
    }
    // Where the file goes on, the reader gives what the whole file gives unless a record runs
    // past the bytes, or their end comes between records with the table not yet full.
    bool recordCut = readRecords(stream, more);
    bool reachedEnd = std::feof(stream) != 0;
    std::fclose(stream);
    stream = nullptr;
    if (recordCut) {
        consolePrint(READ_ERROR_TEXT);
        consolePrint("\nEl bloque %d sigue m\xe1s all\xe1 de los primeros %lu bytes",
                     blockCount + 1, BLOCK_FILE_LIMIT);
        quitProgram(1);
    }
    if (more && reachedEnd && blockCount < MAX_BLOCKS) {
        consolePrint(READ_ERROR_TEXT);
        consolePrint("\nEl fichero tiene m\xe1s de %lu bytes sin llegar a %d bloques",
                     BLOCK_FILE_LIMIT, MAX_BLOCKS);
        quitProgram(1);
    }
}
