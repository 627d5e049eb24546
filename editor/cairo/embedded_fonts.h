#pragma once
// The font faces the Linux modules carry (embedded_fonts.S): the panel needs
// Cinzel only in bold, Inter in both weights.
extern "C" {
extern const unsigned char dq_face_cinzel_bold[], dq_face_cinzel_bold_end[];
extern const unsigned char dq_face_inter_regular[], dq_face_inter_regular_end[];
extern const unsigned char dq_face_inter_bold[], dq_face_inter_bold_end[];
}
