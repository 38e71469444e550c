#ifndef VIDLARK_IMAGING_JPEGSHIM_H
#define VIDLARK_IMAGING_JPEGSHIM_H
/* A C-style shim around libjpeg's decompressor. libjpeg reports fatal errors
 * by calling a handler that must not return; here the handler jumps back
 * (setjmp/longjmp) into the shim function that called libjpeg, which then
 * returns an error code. No C++ frame lies between the jump and its target,
 * so the C++ caller can throw safely once the shim has returned. */

#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef struct VjDecoder VjDecoder;

enum VjOutput { vjGray = 0, vjRGB = 1, vjCMYK = 2 };
/* The colour space stored data are declared to be in (vj_declare_space). */
enum VjSpace { vjSpaceGray = 0, vjSpaceRGB = 1, vjSpaceYCbCr = 2 };

typedef struct VjInfo {
    unsigned Width, Height;       /* of the stored image */
    int Components;
    int Output;                   /* VjOutput suited to the image */
    int AdobeInverted;            /* CMYK samples stored inverted */
    size_t CoefficientBytes;      /* memory a progressive image's coefficients need */
    unsigned OutWidth, OutHeight; /* after vj_start, with the scaling */
    int OutBgr;                   /* after vj_start: colour rows come blue first */
    int Precision;                /* bits per sample of the data */
    int SamplingX, SamplingY;     /* of the first component */
    int OthersUnsampled;          /* every other component is sampled 1 by 1 */
    int OutComponents;            /* after vj_start: samples per output pixel */
} VjInfo;

/* maxMemory: libjpeg's cap on its own working memory, in bytes. maxScans:
 * progressive data with more scans than this are refused. NULL when out of
 * memory. */
VjDecoder* vj_create(size_t maxMemory, int maxScans);
void vj_destroy(VjDecoder* decoder);

/* Each returns 0 on success, else 1 with vj_message telling why. After a
 * failure only vj_message and vj_destroy may be called. */
int vj_read_header(VjDecoder* decoder, const unsigned char* data, size_t size, VjInfo* info);
/* scaleDenom 1, 2, 4 or 8; output one of VjOutput. */
int vj_start(VjDecoder* decoder, int scaleDenom, int output, VjInfo* info);
/* Reads up to count rows into rows[0..count-1]; *read tells how many. */
int vj_read_rows(VjDecoder* decoder, unsigned char** rows, unsigned count, unsigned* read);
int vj_finish(VjDecoder* decoder);
const char* vj_message(const VjDecoder* decoder);

/* Streams of several images (JPEG strips of a TIFF file). */
/* Reads a table-only stream whose tables later images refer to; 2 when the
 * data are something else. */
int vj_read_tables(VjDecoder* decoder, const unsigned char* data, size_t size);
/* Ends the image being read, so the next vj_read_header starts afresh. */
int vj_abort(VjDecoder* decoder);
/* Declares the stored colour space; call after vj_read_header. */
void vj_declare_space(VjDecoder* decoder, int space);
/* From now on warnings are kept (the first one, see vj_warning) instead of
 * failing, and data that end early end the image with what was read. */
void vj_keep_warnings(VjDecoder* decoder);
/* The first warning kept since vj_keep_warnings, or NULL. */
const char* vj_warning(const VjDecoder* decoder);

#ifdef __cplusplus
}
#endif

#endif
