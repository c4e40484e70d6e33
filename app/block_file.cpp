// Reading the block data file into the block table.
#include "app/app.h"

#include "common/common.h"
#include "platform/platform.h"

#include <cctype>

// ".. " and its trailing space are how the message has always ended; scripts match it.
static const char READ_ERROR[] = "\nError al leer fichero de datos.. ";

std::FILE *openBlockFile(const char *name) {
    // Read-only: the file is never written, and a write-protected file must load.
    std::FILE *file = std::fopen(name, "r");
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
        // "arbir" is how the message has always read; scripts match it as it is.
        consolePrint("\nError al arbir fichero %s\n", name);
        quitProgram(1);
    }
    return file;
}

void readBlockFile(std::FILE *file) {
    bool tableFull = false;
    std::rewind(file);
    // Kept across records: a conversion that fails leaves the previous record's value.
    float x = 0.0f, y = 0.0f, z = 0.0f;
    int tag = 0, color = 0;

    // A read error ends the loop as the end of the file does, so it cannot spin.
    while (!std::feof(file) && !std::ferror(file) && !tableFull) {
        char start = '\0';
        // A stream that cannot be read at all fails without setting either indicator.
        if (std::fscanf(file, "%c", &start) == EOF) {
            break;
        }
        if (start != 'c') {
            continue;
        }
        std::fscanf(file, "\t%f\t%f\t%f", &x, &y, &z);
        std::fscanf(file, "\t%d\t%d\n", &tag, &color);
        if (color > 11 || color < 0) {
            consolePrint(READ_ERROR);
            consolePrint("\nEl color de la caja tiene que ser un entero perteneciente a [0,11]");
            quitProgram(1);
        }
        if (z == 0.0f) {
            consolePrint("\nHab\xed"
                         "a un bloque situado sobre el eje Z,\n que ser\xe1 recolocado con Z = "
                         "0.5 para evitar problemas internos");
            z = 0.5f;
        }
        blockTable[blockCount] = {x, y, z, tag, color, 1};
        blockCount++;
        if (blockCount == MAX_BLOCKS) {
            tableFull = true;
        }
    }
    setRestPose();
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
        consolePrint(READ_ERROR);
        quitProgram(1);
    }
    readBlockFile(stream);
    // The reader looked beyond the bytes read only if it met their end. A full table whose
    // last record ended before white space running to that end (the reader skips white
    // space after each record) gives what the whole file gives; only a 30th record split
    // across the end by white space inside it would differ, and is taken as read.
    bool reachedEnd = std::feof(stream) != 0;
    std::fclose(stream);
    stream = nullptr;
    bool fullBeforeTheEnd = blockCount == MAX_BLOCKS && size > 0 &&
                            std::isspace(static_cast<unsigned char>(bytes[size - 1]));
    if (more && reachedEnd && !fullBeforeTheEnd) {
        consolePrint(READ_ERROR);
        consolePrint("\nEl fichero tiene m\xe1s de %lu bytes sin llegar a %d bloques",
                     BLOCK_FILE_LIMIT, MAX_BLOCKS);
        quitProgram(1);
    }
}
