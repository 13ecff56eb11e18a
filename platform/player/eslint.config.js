// The wall player's lint: ESLint's recommended rules for browser ES modules, strict equality, and
// short functions. CTest runs it (player_lint) and allows no warnings.
import js from '@eslint/js';
import globals from 'globals';

export default [
  js.configs.recommended,
  {
    files: ['**/*.js'],
    languageOptions: {
      ecmaVersion: 2022,
      sourceType: 'module',
      globals: globals.browser
    },
    rules: {
      eqeqeq: ['error', 'always', { null: 'ignore' }],
      'max-lines-per-function': ['error', { max: 50, skipBlankLines: true, skipComments: true }],
      'no-shadow': 'error',
      'no-use-before-define': ['error', { functions: false }]
    }
  }
];
