// Recording fakes of the OpenGL 1.1 and GLU entry points the viewer calls.
// They draw nothing and keep no GL state: each one records its name and
// arguments. The real headers are included so the compiler checks that every
// definition matches its declaration and has C linkage.
#include <GL/gl.h>
#include <GL/glu.h>

#include "recorder.h"

namespace {

// Records a call as its name and its arguments turned to double.
struct Rec {
    const char* name;
    template <class... A>
    void operator()(A... a) const {
        fake::record(name, {static_cast<double>(a)...});
    }
};

}  // namespace

// Every faked entry point whose arguments are plain numbers:
// X(name, parameter list, argument list).
#define FAKE_GL_CALLS(X)                                                                            \
    X(glEnable, (GLenum cap), (cap))                                                                \
    X(glDisable, (GLenum cap), (cap))                                                               \
    X(glDepthFunc, (GLenum func), (func))                                                           \
    X(glCullFace, (GLenum mode), (mode))                                                            \
    X(glClear, (GLbitfield mask), (mask))                                                           \
    X(glTranslatef, (GLfloat x, GLfloat y, GLfloat z), (x, y, z))                                   \
    X(glRotatef, (GLfloat angle, GLfloat x, GLfloat y, GLfloat z), (angle, x, y, z))                \
    X(glViewport, (GLint x, GLint y, GLsizei w, GLsizei h), (x, y, w, h))                           \
    X(glMatrixMode, (GLenum mode), (mode))                                                          \
    X(glLoadIdentity, (void), ())                                                                   \
    X(glOrtho, (GLdouble l, GLdouble r, GLdouble b, GLdouble t, GLdouble n, GLdouble f),            \
      (l, r, b, t, n, f))                                                                           \
    X(gluPerspective, (GLdouble fovy, GLdouble aspect, GLdouble zNear, GLdouble zFar),              \
      (fovy, aspect, zNear, zFar))                                                                  \
    X(glBindTexture, (GLenum target, GLuint texture), (target, texture))                            \
    X(glTexParameteri, (GLenum target, GLenum pname, GLint param), (target, pname, param))          \
    X(glTexEnvf, (GLenum target, GLenum pname, GLfloat param), (target, pname, param))              \
    X(glBegin, (GLenum mode), (mode))                                                               \
    X(glEnd, (void), ())                                                                            \
    X(glColor3f, (GLfloat r, GLfloat g, GLfloat b), (r, g, b))                                      \
    X(glColor4f, (GLfloat r, GLfloat g, GLfloat b, GLfloat a), (r, g, b, a))                        \
    X(glNormal3f, (GLfloat x, GLfloat y, GLfloat z), (x, y, z))                                     \
    X(glTexCoord2f, (GLfloat s, GLfloat t), (s, t))                                                 \
    X(glVertex3f, (GLfloat x, GLfloat y, GLfloat z), (x, y, z))                                     \
    X(glPushMatrix, (void), ())                                                                     \
    X(glPopMatrix, (void), ())

#define FAKE_GL_DEFINE(name, params, args) \
    void GLAPIENTRY name params { Rec{#name} args; }

extern "C" {

FAKE_GL_CALLS(FAKE_GL_DEFINE)

// The three with pointers, written out.

// Records the four values the array holds, after the light and parameter.
void GLAPIENTRY glLightfv(GLenum light, GLenum pname, const GLfloat* params) {
    fake::record("glLightfv", {double(light), double(pname), params[0], params[1], params[2], params[3]});
}

// Hands out 1, 2, ... as a driver would on a fresh context.
void GLAPIENTRY glGenTextures(GLsizei n, GLuint* textures) {
    fake::record("glGenTextures", {double(n)});
    for (GLsizei i = 0; i < n; ++i) textures[i] = fake::next_texture_name();
}

// Records the numbers, and the pixel rows as OpenGL would read them.
GLint GLAPIENTRY gluBuild2DMipmaps(GLenum target, GLint internalFormat, GLsizei width, GLsizei height,
                                   GLenum format, GLenum type, const void* data) {
    fake::record("gluBuild2DMipmaps",
                 {double(target), double(internalFormat), double(width), double(height), double(format), double(type)});
    int bytes_per_pixel = 3;
    if (format == GL_RGBA) bytes_per_pixel = 4;
    if (format == GL_LUMINANCE) bytes_per_pixel = 1;
    if (format == GL_LUMINANCE_ALPHA) bytes_per_pixel = 2;
    if (type != GL_UNSIGNED_BYTE) bytes_per_pixel = 0;  // not read: no such upload here
    fake::add_upload(width, height, format, bytes_per_pixel, data);
    return 0;
}

}  // extern "C"
