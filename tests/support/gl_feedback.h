// GL feedback captured and walked item by item; no test framework, so the benchmarks use it too.
#ifndef VINCA_TEST_GL_FEEDBACK_H
#define VINCA_TEST_GL_FEEDBACK_H

#include "platform/platform.h"
#include <cstddef>
#include <vector>

struct FeedbackItem {
    GLenum token;
    int vertices; // 1 for a point or a pixel item, 2 for a line, a polygon's count, 0 otherwise
    size_t first; // index of its first vertex word
};

struct Feedback {
    std::vector<float> words; // as GL wrote them; empty when the buffer overflowed
    bool overflowed = false;
    std::vector<FeedbackItem> items;
};

// Words per vertex in feedback of type: window x, y, z, then RGBA with GL_3D_COLOR.
int vertexWords(GLenum type);

// Items of feedback words of type; an item cut short by the words' end is left out.
std::vector<FeedbackItem> feedbackItems(const std::vector<float> &words, GLenum type);

// Runs draw in GL_FEEDBACK with room for capacity words.
Feedback captureFeedback(void (*draw)(), GLenum type = GL_3D_COLOR, size_t capacity = 8u << 20);

#endif
