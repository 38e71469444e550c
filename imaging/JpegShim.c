/* See JpegShim.h. Every function that calls into libjpeg sets its own jump
 * target first; the error handler jumps there. */

#include "imaging/JpegShim.h"

#include <setjmp.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <jerror.h>
#include <jpeglib.h>

struct VjDecoder {
    struct jpeg_decompress_struct Info;
    struct jpeg_error_mgr Error;
    struct jpeg_progress_mgr Progress;
    jmp_buf Jump;
    int MaxScans;
    int Failed;
    int KeepWarnings;
    int WarningKept;
    char Message[JMSG_LENGTH_MAX + 64];
    char Warning[JMSG_LENGTH_MAX + 64];
};

static VjDecoder* DecoderOf(j_common_ptr cinfo)
{
    /* The decompressor is the first member. */
    return (VjDecoder*)(void*)cinfo;
}

static void Fail(VjDecoder* d)
{
    d->Failed = 1;
    longjmp(d->Jump, 1);
}

static void OnErrorExit(j_common_ptr cinfo)
{
    VjDecoder* d = DecoderOf(cinfo);
    (*cinfo->err->format_message)(cinfo, d->Message);
    Fail(d);
}

/* Warnings are ignored, except running out of data: a truncated file is
 * refused rather than shown half grey. A decoder that keeps warnings keeps
 * the first and goes on; the memory source then ends the image. */
static void OnEmitMessage(j_common_ptr cinfo, int level)
{
    VjDecoder* d = DecoderOf(cinfo);
    if (level >= 0)
        return;
    if (d->KeepWarnings) {
        if (!d->WarningKept) {
            if (cinfo->err->msg_code == JWRN_JPEG_EOF)
                snprintf(d->Warning, sizeof d->Warning, "JPEG decompression error. Unexpected end of input.");
            else
                (*cinfo->err->format_message)(cinfo, d->Warning);
            d->WarningKept = 1;
        }
        return;
    }
    if (cinfo->err->msg_code == JWRN_JPEG_EOF) {
        (*cinfo->err->format_message)(cinfo, d->Message);
        Fail(d);
    }
}

static void OnOutputMessage(j_common_ptr cinfo)
{
    (void)cinfo; /* nothing is printed */
}

static void OnProgress(j_common_ptr cinfo)
{
    VjDecoder* d = DecoderOf(cinfo);
    if (cinfo->is_decompressor && d->Info.input_scan_number > d->MaxScans) {
        snprintf(d->Message, sizeof d->Message, "JPEG data has more than %d scans.", d->MaxScans);
        Fail(d);
    }
}

static int Create(VjDecoder* d, size_t maxMemory)
{
    if (setjmp(d->Jump))
        return 1;
    jpeg_create_decompress(&d->Info);
    d->Info.mem->max_memory_to_use = (long)maxMemory;
    d->Progress.progress_monitor = OnProgress;
    d->Info.progress = &d->Progress;
    return 0;
}

VjDecoder* vj_create(size_t maxMemory, int maxScans)
{
    VjDecoder* d = (VjDecoder*)calloc(1, sizeof *d);
    if (!d)
        return NULL;
    d->MaxScans = maxScans;
    d->Info.err = jpeg_std_error(&d->Error);
    d->Error.error_exit = OnErrorExit;
    d->Error.emit_message = OnEmitMessage;
    d->Error.output_message = OnOutputMessage;
    if (Create(d, maxMemory) != 0) {
        jpeg_destroy_decompress(&d->Info);
        free(d);
        return NULL;
    }
    return d;
}

void vj_destroy(VjDecoder* d)
{
    if (!d)
        return;
    jpeg_destroy_decompress(&d->Info);
    free(d);
}

const char* vj_message(const VjDecoder* d)
{
    return d->Message;
}

int vj_read_header(VjDecoder* d, const unsigned char* data, size_t size, VjInfo* info)
{
    if (d->Failed)
        return 1;
    if (setjmp(d->Jump))
        return 1;
    jpeg_mem_src(&d->Info, data, (unsigned long)size);
    if (jpeg_read_header(&d->Info, TRUE) != JPEG_HEADER_OK) {
        snprintf(d->Message, sizeof d->Message, "Not a JPEG image.");
        d->Failed = 1;
        return 1;
    }
    memset(info, 0, sizeof *info);
    info->Width = d->Info.image_width;
    info->Height = d->Info.image_height;
    info->Components = d->Info.num_components;
    switch (d->Info.jpeg_color_space) {
    case JCS_GRAYSCALE: info->Output = vjGray; break;
    case JCS_CMYK:
    case JCS_YCCK: info->Output = vjCMYK; break;
    default: info->Output = vjRGB; break;
    }
    info->AdobeInverted = d->Info.saw_Adobe_marker;
    info->Precision = d->Info.data_precision;
    info->SamplingX = d->Info.comp_info[0].h_samp_factor;
    info->SamplingY = d->Info.comp_info[0].v_samp_factor;
    info->OthersUnsampled = 1;
    {
        int ci;
        for (ci = 1; ci < d->Info.num_components; ++ci)
            if (d->Info.comp_info[ci].h_samp_factor != 1 || d->Info.comp_info[ci].v_samp_factor != 1)
                info->OthersUnsampled = 0;
    }
    /* Progressive data are held as coefficients for the whole image. */
    if (d->Info.progressive_mode) {
        int ci;
        for (ci = 0; ci < d->Info.num_components; ++ci) {
            const jpeg_component_info* c = &d->Info.comp_info[ci];
            info->CoefficientBytes += (size_t)c->width_in_blocks * c->height_in_blocks * sizeof(JBLOCK);
        }
    }
    return 0;
}

int vj_start(VjDecoder* d, int scaleDenom, int output, VjInfo* info)
{
    if (d->Failed)
        return 1;
    if (setjmp(d->Jump))
        return 1;
    d->Info.scale_num = 1;
    d->Info.scale_denom = (unsigned)scaleDenom;
    d->Info.out_color_space = output == vjGray ? JCS_GRAYSCALE : output == vjCMYK ? JCS_CMYK : JCS_RGB;
    info->OutBgr = 0;
#ifdef JCS_EXTENSIONS
    /* Builds that can write blue first save the caller a pass over the rows. */
    if (output == vjRGB) {
        d->Info.out_color_space = JCS_EXT_BGR;
        info->OutBgr = 1;
    }
#endif
    jpeg_start_decompress(&d->Info);
    info->OutWidth = d->Info.output_width;
    info->OutHeight = d->Info.output_height;
    info->OutComponents = d->Info.output_components;
    return 0;
}

int vj_read_rows(VjDecoder* d, unsigned char** rows, unsigned count, unsigned* read)
{
    *read = 0;
    if (d->Failed)
        return 1;
    if (setjmp(d->Jump))
        return 1;
    while (*read < count && d->Info.output_scanline < d->Info.output_height) {
        const JDIMENSION got = jpeg_read_scanlines(&d->Info, rows + *read, count - *read);
        if (got == 0)
            break;
        *read += got;
    }
    return 0;
}

int vj_finish(VjDecoder* d)
{
    if (d->Failed)
        return 1;
    if (setjmp(d->Jump))
        return 1;
    jpeg_finish_decompress(&d->Info);
    return 0;
}

int vj_read_tables(VjDecoder* d, const unsigned char* data, size_t size)
{
    if (d->Failed)
        return 1;
    if (setjmp(d->Jump))
        return 1;
    jpeg_mem_src(&d->Info, data, (unsigned long)size);
    return jpeg_read_header(&d->Info, FALSE) == JPEG_HEADER_TABLES_ONLY ? 0 : 2;
}

int vj_abort(VjDecoder* d)
{
    if (d->Failed)
        return 1;
    if (setjmp(d->Jump))
        return 1;
    jpeg_abort_decompress(&d->Info);
    return 0;
}

void vj_declare_space(VjDecoder* d, int space)
{
    d->Info.jpeg_color_space = space == vjSpaceGray ? JCS_GRAYSCALE : space == vjSpaceYCbCr ? JCS_YCbCr : JCS_RGB;
}

void vj_keep_warnings(VjDecoder* d)
{
    d->KeepWarnings = 1;
}

const char* vj_warning(const VjDecoder* d)
{
    return d->WarningKept ? d->Warning : NULL;
}
