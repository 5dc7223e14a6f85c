// A counting layer for GL, loaded with LD_PRELOAD in front of the system's GL: every GL entry
// point a frame of ours can reach (our own calls and GLU's) is counted and passed on. Buffer
// objects are looked up at run time, so eglGetProcAddress hands out counting stand-ins for
// them. At exit the totals go to stderr; bench/count-gl-calls turns them into calls a frame.
#include <dlfcn.h>

#include <EGL/egl.h>
#include <GL/gl.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <map>
#include <mutex>
#include <string>

namespace {

std::mutex g_lock;
std::map<std::string, long>* g_counts = nullptr;

void count(const char* name) {
    std::lock_guard<std::mutex> hold(g_lock);
    if (!g_counts)
        g_counts = new std::map<std::string, long>;
    ++(*g_counts)[name];
}

template <typename Fn> Fn real(const char* name) {
    return reinterpret_cast<Fn>(dlsym(RTLD_NEXT, name));
}

struct Report {
    ~Report() {
        std::lock_guard<std::mutex> hold(g_lock);
        long total = 0;
        if (g_counts)
            for (const auto& [name, n] : *g_counts)
                total += n;
        std::fprintf(stderr, "glcount: total %ld\n", total);
        if (g_counts)
            for (const auto& [name, n] : *g_counts)
                std::fprintf(stderr, "glcount: %s %ld\n", name.c_str(), n);
    }
} g_report;

} // namespace

#define WRAP(ret, name, params, args)                                                              \
    extern "C" ret name params {                                                                   \
        static auto fn = real<ret(*) params>(#name);                                               \
        count(#name);                                                                              \
        return fn args;                                                                            \
    }

WRAP(void, glBegin, (GLenum m), (m))
WRAP(void, glEnd, (), ())
WRAP(void, glVertex3f, (GLfloat x, GLfloat y, GLfloat z), (x, y, z))
WRAP(void, glNormal3f, (GLfloat x, GLfloat y, GLfloat z), (x, y, z))
WRAP(void, glTexCoord2f, (GLfloat s, GLfloat t), (s, t))
WRAP(void, glColor3f, (GLfloat r, GLfloat g, GLfloat b), (r, g, b))
WRAP(void, glLineWidth, (GLfloat w), (w))
WRAP(void, glPushMatrix, (), ())
WRAP(void, glPopMatrix, (), ())
WRAP(void, glTranslatef, (GLfloat x, GLfloat y, GLfloat z), (x, y, z))
WRAP(void, glRotatef, (GLfloat a, GLfloat x, GLfloat y, GLfloat z), (a, x, y, z))
WRAP(void, glScalef, (GLfloat x, GLfloat y, GLfloat z), (x, y, z))
WRAP(void, glMultMatrixd, (const GLdouble* m), (m))
WRAP(void, glMultMatrixf, (const GLfloat* m), (m))
WRAP(void, glLoadIdentity, (), ())
WRAP(void, glMatrixMode, (GLenum m), (m))
WRAP(void, glViewport, (GLint x, GLint y, GLsizei w, GLsizei h), (x, y, w, h))
WRAP(void, glClearColor, (GLfloat r, GLfloat g, GLfloat b, GLfloat a), (r, g, b, a))
WRAP(void, glClear, (GLbitfield m), (m))
WRAP(void, glEnable, (GLenum c), (c))
WRAP(void, glDisable, (GLenum c), (c))
WRAP(void, glShadeModel, (GLenum m), (m))
WRAP(void, glEnableClientState, (GLenum a), (a))
WRAP(void, glDisableClientState, (GLenum a), (a))
WRAP(void, glVertexPointer, (GLint n, GLenum t, GLsizei s, const void* p), (n, t, s, p))
WRAP(void, glColorPointer, (GLint n, GLenum t, GLsizei s, const void* p), (n, t, s, p))
WRAP(void, glDrawArrays, (GLenum m, GLint f, GLsizei c), (m, f, c))
WRAP(void, glDrawElements, (GLenum m, GLsizei c, GLenum t, const void* i), (m, c, t, i))

namespace {

using GenFn = void (*)(GLsizei, GLuint*);
using BindFn = void (*)(GLenum, GLuint);
using DataFn = void (*)(GLenum, long, const void*, GLenum);
GenFn g_genBuffers, g_deleteBuffers;
BindFn g_bindBuffer;
DataFn g_bufferData;

void genBuffers(GLsizei n, GLuint* b) {
    count("glGenBuffers");
    g_genBuffers(n, b);
}
void deleteBuffers(GLsizei n, GLuint* b) {
    count("glDeleteBuffers");
    g_deleteBuffers(n, b);
}
void bindBuffer(GLenum t, GLuint b) {
    count("glBindBuffer");
    g_bindBuffer(t, b);
}
void bufferData(GLenum t, long size, const void* data, GLenum usage) {
    count("glBufferData");
    g_bufferData(t, size, data, usage);
}

} // namespace

extern "C" __eglMustCastToProperFunctionPointerType eglGetProcAddress(const char* name) {
    static auto fn =
        real<__eglMustCastToProperFunctionPointerType (*)(const char*)>("eglGetProcAddress");
    const auto found = fn(name);
    auto stand_in = [&](auto& slot, auto wrapper) {
        slot = reinterpret_cast<std::remove_reference_t<decltype(slot)>>(found);
        return reinterpret_cast<__eglMustCastToProperFunctionPointerType>(wrapper);
    };
    if (!found)
        return found;
    if (!std::strcmp(name, "glGenBuffers"))
        return stand_in(g_genBuffers, &genBuffers);
    if (!std::strcmp(name, "glDeleteBuffers"))
        return stand_in(g_deleteBuffers, &deleteBuffers);
    if (!std::strcmp(name, "glBindBuffer"))
        return stand_in(g_bindBuffer, &bindBuffer);
    if (!std::strcmp(name, "glBufferData"))
        return stand_in(g_bufferData, &bufferData);
    return found;
}
