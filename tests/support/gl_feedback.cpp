#include "support/gl_feedback.h"

int vertexWords(GLenum type) {
    return type == GL_3D_COLOR ? 7 : type == GL_3D ? 3 : 2;
}

std::vector<FeedbackItem> feedbackItems(const std::vector<float> &words, GLenum type) {
    std::vector<FeedbackItem> items;
    const size_t stride = static_cast<size_t>(vertexWords(type));
    for (size_t i = 0; i < words.size();) {
        GLenum token = static_cast<GLenum>(words[i++]);
        int count = token == GL_LINE_TOKEN || token == GL_LINE_RESET_TOKEN ? 2
                    : token == GL_POINT_TOKEN || token == GL_BITMAP_TOKEN ||
                            token == GL_DRAW_PIXEL_TOKEN || token == GL_COPY_PIXEL_TOKEN
                        ? 1
                        : 0;
        if (token == GL_POLYGON_TOKEN && i < words.size()) {
            count = static_cast<int>(words[i++]);
        } else if (token == GL_PASS_THROUGH_TOKEN) {
            i++; // its value
        }
        if (i + count * stride > words.size()) {
            break;
        }
        items.push_back({token, count, i});
        i += count * stride;
    }
    return items;
}

Feedback captureFeedback(void (*draw)(), GLenum type, size_t capacity) {
    Feedback f;
    f.words.resize(capacity);
    glFeedbackBuffer(static_cast<GLsizei>(capacity), type, f.words.data());
    glRenderMode(GL_FEEDBACK);
    draw();
    GLint used = glRenderMode(GL_RENDER);
    f.overflowed = used < 0;
    f.words.resize(used > 0 ? static_cast<size_t>(used) : 0);
    f.items = feedbackItems(f.words, type);
    return f;
}
